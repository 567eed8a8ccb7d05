# What the benchmark scripts share: a summary of figures, a process's processor time and share of
# a core, and the program's main window.
#   source figures.sh

summary() {  # label, values...: minimum and median
  local label=$1
  shift
  printf '%s\n' "$@" | sort -n | awk -v label="$label" '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "  %-28s min %7.1f  median %7.1f\n", label, v[1], m }'
}
run_nanoseconds() {  # pid: processor time of all its threads so far
  local total=0 run
  for stat in /proc/"$1"/task/*/schedstat; do
    read -r run _ <"$stat" 2>/dev/null && total=$((total + run))
  done
  echo "$total"
}
cpu_percent() {  # pid, seconds: share of one core over that time
  local before after
  before=$(run_nanoseconds "$1")
  sleep "$2"
  after=$(run_nanoseconds "$1")
  awk -v d=$((after - before)) -v s="$2" 'BEGIN { printf "%.3f\n", d / (s * 1e7) }'
}
main_window() {
  for _ in $(seq 60); do
    local id
    id=$(xdotool search --onlyvisible --name '^Quillon$' 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

