#!/usr/bin/env bash
# Prepares an application folder: the INI file with the embedded SQLite database and the
# card reader simulator, and the small message database. Existing files are kept. A folder
# prepared here for the first time gets the marker tolva.new: the program's first start then
# creates the SQLite database without asking (and deletes the marker).
set -euo pipefail
home="$1"
mkdir -p "$home"
ini="$home/tolva.INI"
if [ ! -f "$ini" ]; then
  cat >"$ini" <<'INI'
[PARAM]
CustName=Tolva
Calendar=YYYY/MM/DD
DateSep=/
GCNT=Provider=SQLite;Data Source=tolva.db
IDMSG=IDMSG.MDB
BorixPort=COM1
CrwLibrary=
CodePage=CP950
INI
  : >"$home/tolva.new"
fi
if [ ! -f "$home/IDMSG.MDB" ]; then
  sqlite3 "$home/IDMSG.MDB" "CREATE TABLE Msg (MsgID VARCHAR(30) PRIMARY KEY, Msg VARCHAR(255));"
fi
