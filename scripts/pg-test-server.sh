#!/usr/bin/env bash
# A throwaway PostgreSQL server on 127.0.0.1 for the tests: its own data folder, a free port,
# run as the postgres user (the tests may run as root). Source this file, then call
# pg_test_start; pg_test_stop runs on every way out once a trap calls it.
PG_BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
PG_DIR=""
PG_PORT=""

pg_free_port() {
  local p
  for p in $(seq 55432 55532); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then echo "$p"; return 0; fi
  done
  return 1
}

pg_as_postgres() {
  if [ "$(id -un)" = postgres ]; then "$@"
  elif [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"
  else "$@"
  fi
}

pg_test_start() {
  PG_DIR=$(mktemp -d /tmp/tolva-pg.XXXXXX)
  chmod 755 "$PG_DIR"
  [ "$(id -u)" = 0 ] && chown postgres:postgres "$PG_DIR"
  PG_PORT=$(pg_free_port)
  pg_as_postgres "$PG_BIN/initdb" -D "$PG_DIR/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >"$PG_DIR/initdb.log" 2>&1 \
    || { cat "$PG_DIR/initdb.log"; return 1; }
  pg_as_postgres "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -l "$PG_DIR/server.log" -w -t 60 \
    -o "-p $PG_PORT -c listen_addresses=127.0.0.1 -k $PG_DIR -c fsync=off -c full_page_writes=off" start >/dev/null \
    || { cat "$PG_DIR/server.log"; return 1; }
  pg_as_postgres "$PG_BIN/createdb" -h 127.0.0.1 -p "$PG_PORT" -U postgres tolva_test
  export TOLVA_TEST_PG="Provider=PostgreSQL;Host=127.0.0.1;Port=$PG_PORT;Database=tolva_test;User ID=postgres;Password=;"
  echo "PostgreSQL test server on 127.0.0.1:$PG_PORT"
}

pg_test_stop() {
  [ -n "$PG_DIR" ] || return 0
  pg_as_postgres "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$PG_DIR"
  PG_DIR=""
}
