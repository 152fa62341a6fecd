-- Tolva card manager: schema of a SQL Server database (for reference; run it with sqlcmd,
-- GO separates the batches). Use a Chinese_Taiwan collation so that text columns hold the
-- Traditional Chinese texts the program writes.

CREATE TABLE Tolva (
  RNo        INT IDENTITY(1,1) PRIMARY KEY,
  BatchNo    VARCHAR(10),
  CardType   VARCHAR(10),
  CardNo     VARCHAR(20) NOT NULL,
  Status     VARCHAR(2),
  IssueDate  DATETIME,
  FirstDate  DATETIME,
  LastDate   DATETIME,
  GoodThru   DATETIME,
  BalAmt     NUMERIC(18,4) NOT NULL DEFAULT 0,
  BalPoint   NUMERIC(18,4) NOT NULL DEFAULT 0,
  IssueDept  VARCHAR(10),
  OCardNo    VARCHAR(20),
  POSID      VARCHAR(64),
  UserID     VARCHAR(64),
  UpdUserID  VARCHAR(64),
  Remark     VARCHAR(500),
  FileDate   DATETIME,
  UpdDate    DATETIME,
  CONSTRAINT UQ_Tolva_CardNo UNIQUE (CardNo)
);
GO

CREATE TABLE TolvaLog (
  RNo         INT IDENTITY(1,1) PRIMARY KEY,
  TxnDept     VARCHAR(10),
  TxnType     VARCHAR(2),
  CardNo      VARCHAR(20),
  TxnDate     DATETIME,
  TxnAmt      NUMERIC(18,4) NOT NULL DEFAULT 0,
  TxnPoint    NUMERIC(18,4) NOT NULL DEFAULT 0,
  RefCheckNo  VARCHAR(50),
  POSID       VARCHAR(64),
  UserID      VARCHAR(64),
  Remark      VARCHAR(500),
  FileDate    DATETIME,
  -- The store import that inserted the row (empty for the rows the windows write): a later
  -- import of the same store and day replaces exactly these.
  ImportNo    INT
);
-- The history of each card in its order, with what balances and reports sum: the card refresh
-- of an import and the per-card reports read the index alone, however long the journal.
CREATE INDEX IX_TolvaLog_CardHistory ON TolvaLog (CardNo, FileDate, TxnType, TxnDate, TxnAmt, TxnPoint);
-- A store's day (the store import and reports).
CREATE INDEX IX_TolvaLog_TxnDept_TxnDate ON TolvaLog (TxnDept, TxnDate);
-- The journal by day alone (the liability report).
CREATE INDEX IX_TolvaLog_TxnDate ON TolvaLog (TxnDate);
GO

CREATE TABLE VoidCard (
  RNo     INT IDENTITY(1,1) PRIMARY KEY,
  CardNo  VARCHAR(20) NOT NULL,
  Remark  VARCHAR(500)
);
CREATE INDEX IX_VoidCard_CardNo ON VoidCard (CardNo);
GO

CREATE TABLE Store (
  StoreID    VARCHAR(10) NOT NULL PRIMARY KEY,
  StoreName  VARCHAR(100),
  ListNo     INT
);
CREATE INDEX IX_Store_StoreName ON Store (StoreName);
GO

-- Store files imported: a file whose content came before is told apart.
CREATE TABLE TolvaImport (
  RNo         INT IDENTITY(1,1) PRIMARY KEY,
  FileName    VARCHAR(260),
  FileSize    BIGINT,
  Sha256      VARCHAR(64),
  StoreID     VARCHAR(10),
  TxnDate     DATETIME,
  RowCount    INT,
  ImportedAt  DATETIME,
  POSID       VARCHAR(64),
  UserID      VARCHAR(64)
);
CREATE INDEX IX_TolvaImport_Sha256 ON TolvaImport (Sha256);
GO

CREATE TABLE xxPARAM (
  ParamID     VARCHAR(50) NOT NULL PRIMARY KEY,
  ParamValue  VARCHAR(255),
  FileDate    DATETIME,
  UpdDate     DATETIME
);

CREATE TABLE xxCODE (
  CodeType  VARCHAR(30) NOT NULL,
  Code      VARCHAR(30) NOT NULL,
  Dscp      VARCHAR(100),
  PRIMARY KEY (CodeType, Code)
);

CREATE TABLE xxAPLOG (
  RNo       INT IDENTITY(1,1) PRIMARY KEY,
  UserID    VARCHAR(64),
  LoginWS   VARCHAR(64),
  ProgID    VARCHAR(50),
  ActionID  VARCHAR(50),
  LogMsg    VARCHAR(2000),
  Remark    VARCHAR(500),
  FileDate  DATETIME
);
CREATE INDEX IX_xxAPLOG_FileDate ON xxAPLOG (FileDate);

CREATE TABLE xxNO (
  NoCode    VARCHAR(30) NOT NULL,
  NoBy      VARCHAR(30) NOT NULL,
  NoNext    BIGINT NOT NULL DEFAULT 1,
  FileDate  DATETIME,
  UpdDate   DATETIME,
  PRIMARY KEY (NoCode, NoBy)
);
GO

-- Hands out the next number of the pair and advances it. The key-range lock (UPDLOCK,
-- HOLDLOCK) makes a concurrent caller wait, also while the first caller creates a missing
-- row; a caller's rollback gives the number back. Text form: six digits, zero-filled.
CREATE PROCEDURE getNoNext
  @pNoCode VARCHAR(30), @pNoBy VARCHAR(30),
  @pNoNext BIGINT OUTPUT, @pNoStr VARCHAR(20) OUTPUT
AS
BEGIN
  SET NOCOUNT ON;
  SET @pNoNext = NULL;
  UPDATE xxNO WITH (UPDLOCK, HOLDLOCK)
     SET @pNoNext = NoNext, NoNext = NoNext + 1, UpdDate = getDate()
   WHERE NoCode = @pNoCode AND NoBy = @pNoBy;
  IF @pNoNext IS NULL
  BEGIN
    INSERT INTO xxNO (NoCode, NoBy, NoNext, FileDate) VALUES (@pNoCode, @pNoBy, 2, getDate());
    SET @pNoNext = 1;
  END
  SET @pNoStr = CASE WHEN @pNoNext < 1000000
                     THEN RIGHT('000000' + CAST(@pNoNext AS VARCHAR(20)), 6)
                     ELSE CAST(@pNoNext AS VARCHAR(20)) END;
END
GO

-- Code descriptions shown by the screens.
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaStatus', '01', '已發卡');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaStatus', '11', '已售出');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaStatus', '12', '補發卡');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaStatus', '81', '已清除');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaStatus', '99', '黑名單');

INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '11', '發卡');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '12', '補發卡');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '13', '售卡');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '21', '加值');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '22', '扣款');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '23', '扣點');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '24', '櫃台售卡');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '31', '沖正');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '32', '沖正(二)');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '33', '沖正(三)');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '81', '清除');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaLogType', '99', '黑名單');

-- The action ids the windows write to the application log.
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '發卡', '批次發卡');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '售出', '售出卡片');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '加值', '加值作業');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '扣抵', '扣抵作業');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '扣點', '抵扣紅利點數');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '補發卡', '補發卡片');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '沖正', '交易沖正');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '變更有效日期', '變更有效日期');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '清除', '卡片清除');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '設定黑名單', '設定黑名單');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '黑名單轉出', '黑名單轉出');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', 'QDR卡交易檔轉入', 'QDR卡交易檔轉入');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '變更加密碼', '變更資料加密碼');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '部門設定', '部門資料設定');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '系統參數設定', '系統參數設定');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', 'BASADODB', '編號程序');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '資料庫升級', '資料庫結構升級');
INSERT INTO xxCODE (CodeType, Code, Dscp) VALUES ('TolvaWorkingType', '資料庫還原', '資料庫還原');
GO

-- The schema's version; a later program upgrades from it.
CREATE TABLE SchemaVersion (Version INTEGER NOT NULL);
INSERT INTO SchemaVersion (Version) VALUES (4);
GO
