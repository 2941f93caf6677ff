#!/usr/bin/env bash
# Starts the PostgreSQL and MariaDB servers the database tests use, on this machine only, and
# creates the test role and database in each with no more rights than the tests need. Idempotent:
# safe to run before every test run, and it takes a role an earlier version made a superuser back
# to those rights.
#
# PostgreSQL: role quenlark (password quenlark, CREATEDB, no superuser) owning database quenlark;
#   login roles ql_sep and "ql_O'Brien" (no rights) whose passwords hold connection-string
#   characters; login role ql_one (password ql_one, no rights) limited to one connection; login
#   role ql_idle (password ql_idle, no rights) whose sessions end after a second idle in a
#   transaction, a member of which quenlark is (to see its sessions' state).
# MariaDB: user quenlark@localhost and @127.0.0.1 (password quenlark) with every right on database
#   quenlark and on the databases named ql_..., none on the server.
set -euo pipefail
# Two test runs on one machine (clones side by side) must not set the servers up at once: the
# server refuses a second ALTER ROLE of the same role while the first is running ("tuple
# concurrently updated"). flock -o keeps the lock out of the servers this may start.
if [ -z "${QL_DATABASES_LOCKED:-}" ]; then
  export QL_DATABASES_LOCKED=1
  exec flock -o /tmp/quenlark-databases.lock bash "${BASH_SOURCE[0]}" "$@"
fi
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# A server this script starts listens on the loopback interface only (the test role's password
# is no secret). One already running is left as it is, with a warning when others can reach it.
local_only() {
  local server="$1" port="$2"
  if ss -Hltn "sport = :$port" 2>/dev/null | awk '{print $4}' |
      grep -vqE '^(127\.0\.0\.1|\[::1\]|localhost):'; then
    echo "warning: the $server server listens on more than the local machine (port $port)" >&2
  fi
}

# PostgreSQL
if ! pg_lsclusters -h 2>/dev/null | grep -q online; then
  for conf in /etc/postgresql/*/main/conf.d; do
    [ -d "$conf" ] && [ ! -f "$conf/quenlark-local.conf" ] &&
      echo "listen_addresses = 'localhost'" | as_root tee "$conf/quenlark-local.conf" >/dev/null
  done
  as_root service postgresql start >/dev/null
fi
for i in $(seq 1 30); do
  as_root su postgres -c "psql -qAtc 'select 1'" >/dev/null 2>&1 && break
  sleep 0.5
done
as_root su postgres -c "psql -qAt -v ON_ERROR_STOP=1" >/dev/null <<'SQL'
DO $$ BEGIN
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'quenlark') THEN
    CREATE ROLE quenlark LOGIN PASSWORD 'quenlark';
  END IF;
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'ql_sep') THEN
    CREATE ROLE ql_sep LOGIN PASSWORD 'a;b}c';
  END IF;
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'ql_O''Brien') THEN
    CREATE ROLE "ql_O'Brien" LOGIN PASSWORD 'p=w {x}';
  END IF;
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'ql_one') THEN
    CREATE ROLE ql_one LOGIN PASSWORD 'ql_one';
  END IF;
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'ql_idle') THEN
    CREATE ROLE ql_idle LOGIN PASSWORD 'ql_idle';
  END IF;
END $$;
-- A role that may hold one session at a time.
ALTER ROLE ql_one CONNECTION LIMIT 1;
-- A role whose sessions the server ends once idle in a transaction for a second; the test role
-- reads their state in pg_stat_activity as a member.
ALTER ROLE ql_idle SET idle_in_transaction_session_timeout = '1s';
GRANT ql_idle TO quenlark;
-- Scratch databases of the tests need CREATEDB; ending the role's own sessions needs nothing.
ALTER ROLE quenlark NOSUPERUSER NOCREATEROLE NOREPLICATION NOBYPASSRLS CREATEDB LOGIN;
SQL
if ! as_root su postgres -c "psql -qAtc \"select 1 from pg_database where datname='quenlark'\"" | grep -q 1; then
  as_root su postgres -c "createdb -O quenlark quenlark"
fi
as_root su postgres -c "psql -qAtc 'ALTER DATABASE quenlark OWNER TO quenlark'" >/dev/null
local_only PostgreSQL 5432

# MariaDB
# Debian's server logs through syslog, which machines without a syslog daemon drop: a server that
# stopped would not say why. Its log goes to a file instead, from its next start on (the
# [mysqld_safe] lines override Debian's "skip_log_error" and "syslog" there).
mariadb_log=/var/log/mysql/error.log
if [ -d /etc/mysql/mariadb.conf.d ] && [ ! -f /etc/mysql/mariadb.conf.d/99-quenlark-log.cnf ]; then
  as_root install -d -o mysql -g adm -m 2750 "$(dirname "$mariadb_log")"
  printf '[mysqld]\nlog_error = %s\n\n[mysqld_safe]\nlog_error = %s\nskip_syslog\n' \
    "$mariadb_log" "$mariadb_log" |
    as_root tee /etc/mysql/mariadb.conf.d/99-quenlark-log.cnf >/dev/null
fi
# Started only when no server runs at all: a ping can fail on a busy server (connections all
# taken by a test), and the service's start then restarts it under every other run's sessions.
if ! pgrep -x mariadbd >/dev/null && ! pgrep -x mysqld >/dev/null && ! mysqladmin ping >/dev/null 2>&1; then
  if [ -d /etc/mysql/mariadb.conf.d ] && [ ! -f /etc/mysql/mariadb.conf.d/99-quenlark-local.cnf ]; then
    printf '[mysqld]\nbind-address = 127.0.0.1\n' |
      as_root tee /etc/mysql/mariadb.conf.d/99-quenlark-local.cnf >/dev/null
  fi
  # The service script leaves mysqld_safe and the server in the caller's process group (unlike
  # PostgreSQL's pg_ctl, which starts its server in a session of its own): stopping the test run
  # that happened to start them, as a whole group, stopped the server under every other run. In
  # a session of its own it stays up until it is stopped as a service.
  as_root setsid --wait service mariadb start >/dev/null </dev/null
fi
for i in $(seq 1 30); do
  mysqladmin ping >/dev/null 2>&1 && break
  sleep 0.5
done
# Granted before the server-wide rights of an earlier version are taken, so that a test running
# meanwhile never lacks them. A user ends its own sessions (KILL) without any right.
as_root mysql -u root <<'SQL'
CREATE DATABASE IF NOT EXISTS quenlark;
CREATE USER IF NOT EXISTS 'quenlark'@'localhost' IDENTIFIED BY 'quenlark';
CREATE USER IF NOT EXISTS 'quenlark'@'127.0.0.1' IDENTIFIED BY 'quenlark';
GRANT ALL PRIVILEGES ON `quenlark`.* TO 'quenlark'@'localhost', 'quenlark'@'127.0.0.1';
GRANT ALL PRIVILEGES ON `ql\_%`.* TO 'quenlark'@'localhost', 'quenlark'@'127.0.0.1';
REVOKE ALL PRIVILEGES ON *.* FROM 'quenlark'@'localhost', 'quenlark'@'127.0.0.1';
REVOKE GRANT OPTION ON *.* FROM 'quenlark'@'localhost', 'quenlark'@'127.0.0.1';
-- Reads tables and views and runs routines of the test databases, nothing more: the server keeps
-- the text of their views (no SHOW VIEW) and routines (not their definer) from it.
CREATE USER IF NOT EXISTS 'ql_reader'@'localhost' IDENTIFIED BY 'ql_reader';
CREATE USER IF NOT EXISTS 'ql_reader'@'127.0.0.1' IDENTIFIED BY 'ql_reader';
GRANT SELECT, EXECUTE ON `ql\_%`.* TO 'ql_reader'@'localhost', 'ql_reader'@'127.0.0.1';
FLUSH PRIVILEGES;
SQL
local_only MariaDB 3306

# Where each server says why it stopped or refused something.
pg_logs=$(pg_lsclusters -h 2>/dev/null | awk '$7 ~ /^\// {print $7}' | paste -sd ' ' || true)
echo "Server logs: PostgreSQL ${pg_logs:-/var/log/postgresql/}; MariaDB $mariadb_log"
mariadb_logging=$(as_root mysql -u root -N -e 'SELECT @@log_error' 2>/dev/null || true)
if [ -z "$mariadb_logging" ]; then
  echo "note: the running MariaDB server logs to syslog; it logs to $mariadb_log once restarted" >&2
fi
