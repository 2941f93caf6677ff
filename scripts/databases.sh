#!/usr/bin/env bash
# Starts the PostgreSQL and MariaDB servers the database tests use and creates the test role and
# database in each. Idempotent: safe to run before every test run.
set -euo pipefail
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# PostgreSQL
if ! pg_lsclusters -h 2>/dev/null | grep -q online; then
  as_root service postgresql start >/dev/null
fi
for i in $(seq 1 30); do
  as_root su postgres -c "psql -qAtc 'select 1'" >/dev/null 2>&1 && break
  sleep 0.5
done
as_root su postgres -c "psql -qAt" >/dev/null <<'SQL'
DO $$ BEGIN
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'quenlark') THEN
    CREATE ROLE quenlark LOGIN PASSWORD 'quenlark' SUPERUSER;
  END IF;
END $$;
SQL
if ! as_root su postgres -c "psql -qAtc \"select 1 from pg_database where datname='quenlark'\"" | grep -q 1; then
  as_root su postgres -c "createdb -O quenlark quenlark"
fi

# MariaDB
# Started only when no server runs at all: a ping can fail on a busy server (connections all
# taken by a test), and the service's start then restarts it under every other run's sessions.
if ! pgrep -x mariadbd >/dev/null && ! pgrep -x mysqld >/dev/null && ! mysqladmin ping >/dev/null 2>&1; then
  as_root service mariadb start >/dev/null
fi
for i in $(seq 1 30); do
  mysqladmin ping >/dev/null 2>&1 && break
  sleep 0.5
done
as_root mysql -u root <<'SQL'
CREATE DATABASE IF NOT EXISTS quenlark;
CREATE USER IF NOT EXISTS 'quenlark'@'localhost' IDENTIFIED BY 'quenlark';
CREATE USER IF NOT EXISTS 'quenlark'@'127.0.0.1' IDENTIFIED BY 'quenlark';
GRANT ALL PRIVILEGES ON *.* TO 'quenlark'@'localhost';
GRANT ALL PRIVILEGES ON *.* TO 'quenlark'@'127.0.0.1';
FLUSH PRIVILEGES;
SQL
