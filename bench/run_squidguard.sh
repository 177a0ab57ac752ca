#!/usr/bin/env bash
# Debian's squidGuard deciding the workload of peer_workload.py, for the
# ratio that run_list_bench.sh prints: first the domains and urls, then the
# same with the partials as expressions (on the first tenth of the requests:
# squidGuard tries every expression in turn, so the whole set would take
# close to a minute).
#
# Usage: bench/run_squidguard.sh WORKDIR [N_ENTRIES] [N_PARTIALS] [N_REQUESTS]
# Writes the workload to WORKDIR/lists and prints one line per run:
#   squidGuard lists (N domains + N urls): B blocked of R; D decisions/s
# squidGuard is installed when missing (as root).
set -euo pipefail

work=${1:?usage: $0 WORKDIR [N_ENTRIES] [N_PARTIALS] [N_REQUESTS]}
n=${2:-100000}
p=${3:-1000}
r=${4:-200000}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if ! command -v squidGuard >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q squidguard >/dev/null
fi

mkdir -p "$work"
python3 "$here/peer_workload.py" "$work/lists" "$n" "$p" "$r"

# Every request in squid's redirector form: URL, client, user, method.
sed 's|$| 10.0.0.1/- - GET|' "$work/lists/requests.txt" > "$work/all.in"
head -n $((r / 10)) "$work/all.in" > "$work/tenth.in"

# run_one NAME EXPRESSIONS(yes|no) INPUT LABEL: compiles the lists into
# squidGuard's databases first, so that the time measured is the decisions'.
run_one() {
  local name="$1" expressions="$2" input="$3" label="$4"
  local db="$work/$name/db"
  mkdir -p "$db/blocked" "$work/$name/log"
  cp "$work/lists/domains" "$work/lists/urls" "$db/blocked/"
  local expression_line=
  if [ "$expressions" = yes ]; then
    cp "$work/lists/partials" "$db/blocked/"
    expression_line="expressionlist blocked/partials"
  fi
  cat > "$work/$name/squidGuard.conf" <<EOF
dbhome $db
logdir $work/$name/log
dest blocked {
  domainlist blocked/domains
  urllist blocked/urls
  $expression_line
}
acl {
  default {
    pass !blocked all
    redirect http://blocked.invalid/
  }
}
EOF
  squidGuard -c "$work/$name/squidGuard.conf" -C all >/dev/null 2>&1
  local start end
  start=$(date +%s.%N)
  squidGuard -c "$work/$name/squidGuard.conf" < "$input" > "$work/$name/out"
  end=$(date +%s.%N)
  local requests blocked
  requests=$(wc -l < "$input")
  blocked=$(grep -c '^OK' "$work/$name/out" || true)
  python3 -c "print('squidGuard $label: $blocked blocked of $requests; %.0f decisions/s' % ($requests / ($end - $start)))"
}

run_one plain no "$work/all.in" "lists ($n domains + $n urls)"
run_one expressions yes "$work/tenth.in" "lists + $p expressions"
