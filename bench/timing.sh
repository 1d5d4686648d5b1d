# Timing helpers of the benchmark scripts. Sourced, not run. The script sets
# work (its folder), mib (the data size) and, once cat was measured,
# cat_wall; it defines prepare_run, called before every run with the
# arguments of measure, to remove earlier outputs and set the stage.

# "wall user system" of one command, the best of two runs:
#   measure MODE COMMAND... (MODE is passed on to prepare_run)
measure() {
  local best= line
  for _ in 1 2; do
    prepare_run "$@"
    sync   # no run pays for another's writeback
    /usr/bin/time -o "$work/time.txt" -f '%e %U %S' "${@:2}" > /dev/null 2>&1 || true
    line=$(tail -1 "$work/time.txt")
    if [ -z "$best" ] || [ "$(echo "${line%% *} < ${best%% *}" | bc -l)" = 1 ]; then best=$line; fi
  done
  echo "$best"
}

# One line: wall time, throughput, the ratio to cat and CPU seconds per GiB.
report() {
  local name=$1 wall user sys
  read -r wall user sys <<< "$2"
  printf '%-28s %7.2fs  %7.0f MB/s  ratio to cat %.2f  CPU %.2fs per GiB\n' "$name" "$wall" \
    "$(echo "$mib / $wall" | bc -l)" "$(echo "$cat_wall / $wall" | bc -l)" "$(echo "($user + $sys) * 1024 / $mib" | bc -l)"
}
