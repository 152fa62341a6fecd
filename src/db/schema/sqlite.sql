-- Tolva card manager: schema of the embedded SQLite database.
-- Dates are stored as the sortable text 'YYYY/MM/DD hh:mm:ss' (what the program binds and what
-- the registered now() answers), so that date comparisons in the program's WHERE clauses work
-- on text. Amounts and points are NUMERIC; the program reads them back as exact decimals.

CREATE TABLE Tolva (
  RNo        INTEGER PRIMARY KEY AUTOINCREMENT,
  BatchNo    VARCHAR(10),
  CardType   VARCHAR(10),
  CardNo     VARCHAR(20) NOT NULL,
  Status     VARCHAR(2),
  IssueDate  TIMESTAMP,
  FirstDate  TIMESTAMP,
  LastDate   TIMESTAMP,
  GoodThru   TIMESTAMP,
  BalAmt     NUMERIC(18,4) NOT NULL DEFAULT 0,
  BalPoint   NUMERIC(18,4) NOT NULL DEFAULT 0,
  IssueDept  VARCHAR(10),
  OCardNo    VARCHAR(20),
  POSID      VARCHAR(64),
  UserID     VARCHAR(64),
  UpdUserID  VARCHAR(64),
  Remark     VARCHAR(500),
  FileDate   TIMESTAMP,
  UpdDate    TIMESTAMP,
  CONSTRAINT UQ_Tolva_CardNo UNIQUE (CardNo)
);

CREATE TABLE TolvaLog (
  RNo         INTEGER PRIMARY KEY AUTOINCREMENT,
  TxnDept     VARCHAR(10),
  TxnType     VARCHAR(2),
  CardNo      VARCHAR(20),
  TxnDate     TIMESTAMP,
  TxnAmt      NUMERIC(18,4) NOT NULL DEFAULT 0,
  TxnPoint    NUMERIC(18,4) NOT NULL DEFAULT 0,
  RefCheckNo  VARCHAR(50),
  POSID       VARCHAR(64),
  UserID      VARCHAR(64),
  Remark      VARCHAR(500),
  FileDate    TIMESTAMP,
  -- The store import that inserted the row (empty for the rows the windows write): a later
  -- import of the same store and day replaces exactly these.
  ImportNo    INTEGER
);
-- The history of each card in its order, with what balances and reports sum: the card refresh
-- of an import and the per-card reports read the index alone, however long the journal.
CREATE INDEX IX_TolvaLog_CardHistory ON TolvaLog (CardNo, FileDate, TxnType, TxnDate, TxnAmt, TxnPoint);
-- A store's day (the store import and reports).
CREATE INDEX IX_TolvaLog_TxnDept_TxnDate ON TolvaLog (TxnDept, TxnDate);
-- The journal by day alone (the liability report).
CREATE INDEX IX_TolvaLog_TxnDate ON TolvaLog (TxnDate);

CREATE TABLE VoidCard (
  RNo     INTEGER PRIMARY KEY AUTOINCREMENT,
  CardNo  VARCHAR(20) NOT NULL,
  Remark  VARCHAR(500)
);
-- The blacklist check before every card operation.
CREATE INDEX IX_VoidCard_CardNo ON VoidCard (CardNo);

CREATE TABLE Store (
  StoreID    VARCHAR(10) NOT NULL PRIMARY KEY,
  StoreName  VARCHAR(100),
  ListNo     INTEGER
);
CREATE INDEX IX_Store_StoreName ON Store (StoreName);

-- Store files imported: a file whose content came before is told apart.
CREATE TABLE TolvaImport (
  RNo         INTEGER PRIMARY KEY AUTOINCREMENT,
  FileName    VARCHAR(260),
  FileSize    INTEGER,
  Sha256      VARCHAR(64),
  StoreID     VARCHAR(10),
  TxnDate     TIMESTAMP,
  RowCount    INTEGER,
  ImportedAt  TIMESTAMP,
  POSID       VARCHAR(64),
  UserID      VARCHAR(64)
);
CREATE INDEX IX_TolvaImport_Sha256 ON TolvaImport (Sha256);

CREATE TABLE xxPARAM (
  ParamID     VARCHAR(50) NOT NULL PRIMARY KEY,
  ParamValue  VARCHAR(255),
  FileDate    TIMESTAMP,
  UpdDate     TIMESTAMP
);

CREATE TABLE xxCODE (
  CodeType  VARCHAR(30) NOT NULL,
  Code      VARCHAR(30) NOT NULL,
  Dscp      VARCHAR(100),
  PRIMARY KEY (CodeType, Code)
);

CREATE TABLE xxAPLOG (
  RNo       INTEGER PRIMARY KEY AUTOINCREMENT,
  UserID    VARCHAR(64),
  LoginWS   VARCHAR(64),
  ProgID    VARCHAR(50),
  ActionID  VARCHAR(50),
  LogMsg    VARCHAR(2000),
  Remark    VARCHAR(500),
  FileDate  TIMESTAMP
);
CREATE INDEX IX_xxAPLOG_FileDate ON xxAPLOG (FileDate);

CREATE TABLE xxNO (
  NoCode    VARCHAR(30) NOT NULL,
  NoBy      VARCHAR(30) NOT NULL,
  NoNext    INTEGER NOT NULL DEFAULT 1,
  FileDate  TIMESTAMP,
  UpdDate   TIMESTAMP,
  PRIMARY KEY (NoCode, NoBy)
);

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

-- The schema's version; a later program upgrades from it.
PRAGMA user_version = 4;
