#!/usr/bin/env bash
# Real Linux burning programs (cdrskin and xorriso of libburn, wodim,
# growisofs) drive the virtual drive through `zelvane-vdrive run`, and what
# they write is read back byte for byte by xorriso and by zelvane-cli.
#
#   client_checks.sh ZELVANE_VDRIVE ZELVANE_CLI CASE [MEDIUM]
#
# CASE: queries | xorriso-sessions MEDIUM | engine-sessions MEDIUM | blanking
#       | wodim | growisofs. MEDIUM for xorriso-sessions may carry the write
#       type of the first session: cd-rw:tao, cd-rw:sao.
set -u
VDRIVE=$1 CLI=$2 case_name=$3 medium=${4:-}
source "$(dirname "$0")/client_lib.sh"

# Medium token, the profile name libburn shows, and whether the disc takes
# sessions one after another (else it is overwritten in place).
profile_name() {
  case $1 in
    cd-r) echo "CD-R" ;; cd-rw) echo "CD-RW" ;; dvd-r) echo "DVD-R sequential recording" ;;
    dvd-rw) echo "DVD-RW sequential recording" ;; dvd-rw-ro) echo "DVD-RW restricted overwrite" ;;
    dvd+r) echo "DVD\+R" ;; dvd+rw) echo "DVD\+RW" ;; dvd-ram) echo "DVD-RAM" ;;
  esac
}
sequential() { case $1 in cd-r | cd-rw | dvd-r | dvd-rw | dvd+r) return 0 ;; esac; return 1; }
all_media="cd-r cd-rw dvd-r dvd-rw dvd-rw-ro dvd+r dvd+rw dvd-ram"

# Every query of cdrskin and xorriso on every blank medium.
queries() {
  need cdrskin xorriso
  local m name
  for m in $all_media; do
    insert "$m"
    name=$(profile_name "$m")
    expect_client cdrskin dev=/dev/sr0 -checkdrive && expect_output "Vendor_info +: 'ZELVANE'" "$m -checkdrive"
    expect_client cdrskin dev=/dev/sr0 -atip && case $m in
      cd-r | cd-rw) expect_output "ATIP start of lead out: 359847" "$m -atip" ;;
      *) expect_output "book type: +$name" "$m -atip" ;;
    esac
    expect_client cdrskin dev=/dev/sr0 -minfo && expect_output "Mounted media type: +$name" "$m -minfo" &&
      expect_output "disk status: +(empty|complete)" "$m -minfo"
    # One xorriso run answers the three queries.
    expect_client xorriso -outdev /dev/sr0 -toc -list_formats -list_speeds || continue
    expect_output "Media current: $name" "$m -toc"
    expect_output "Media status : is blank" "$m -toc"
    case $m in
      dvd+rw) expect_output "Format idx 0 : 26h" "$m -list_formats" ;;
      dvd-rw-ro) expect_output "Format idx 3 : 15h" "$m -list_formats" ;;
      *) expect_output "Format status:" "$m -list_formats" ;;
    esac
    expect_output "Write speed L:" "$m -list_speeds"
  done
}

# Three sessions by xorriso, each read back byte for byte.
xorriso_sessions() {
  need xorriso
  local token=${medium%%:*} write_type=auto n
  [ "$medium" != "$token" ] && write_type=${medium#*:}
  make_sources
  insert "$token"
  for n in 1 2 3; do
    # Session-at-once takes only a blank disc; later sessions are written track-at-once.
    expect_client xorriso -dev /dev/sr0 -joliet on -write_type "$write_type" -map "$work/src/s$n" "/s$n" -commit ||
      return
    [ "$write_type" = sao ] && write_type=auto
    if sequential "$token"; then
      expect_client xorriso -indev /dev/sr0 -toc && expect_output "Media summary: $n session" "$token after session $n"
    fi
  done
  expect_xorriso_copies 1 2 3
  # The engine lists every session and copies the last one whole.
  "$CLI" sessions >"$log" 2>&1 || fail "zelvane-cli sessions"
  grep -q "/s3/data3.bin" "$log" || { fail "zelvane-cli sessions does not list /s3/data3.bin"; cat "$log"; }
  rm -rf "$work/cli-copy"
  mkdir "$work/cli-copy"
  "$CLI" extract "$work/cli-copy" >"$log" 2>&1 || { fail "zelvane-cli extract"; cat "$log"; }
  expect_copies "$(find "$work/cli-copy" -mindepth 1 -maxdepth 1 -type d | head -n 1)" 1 2 3
  if sequential "$token"; then
    for n in 1 2 3; do
      grep -q -E "^Сессия +00$n" <("$CLI" sessions 2>&1) || fail "zelvane-cli sessions lacks session $n"
    done
    rm -rf "$work/cli-first"
    mkdir "$work/cli-first"
    "$CLI" extract --session 1 "$work/cli-first" >"$log" 2>&1 || { fail "zelvane-cli extract --session 1"; cat "$log"; }
    expect_copies "$(find "$work/cli-first" -mindepth 1 -maxdepth 1 -type d | head -n 1)" 1
  fi
}

# Three sessions by the engine, read back by xorriso through the drive path.
engine_sessions() {
  need xorriso
  local n continue=""
  make_sources
  insert "$medium"
  for n in 1 2 3; do
    "$CLI" burn $continue "$work/src/s$n" >"$log" 2>&1 || { fail "zelvane-cli burn $continue (session $n)"; tail -n 20 "$log"; return; }
    continue=--continue
  done
  # The engine quick-formats a sequential DVD-RW to restricted overwrite before it writes.
  local written=$medium
  [ "$medium" = dvd-rw ] && written=dvd-rw-ro
  expect_client xorriso -indev /dev/sr0 -toc && expect_output "Media current: $(profile_name "$written")" "$medium -toc"
  expect_xorriso_copies 1 2 3
}

# Blanking and formatting by cdrskin and xorriso; disc-at-once on DVD-R and
# on a minimally blanked DVD-RW, closed by the drive at the flush.
blanking() {
  need cdrskin xorriso genisoimage
  make_sources
  genisoimage -quiet -R -J -graft-points -o "$work/one.iso" "/s1=$work/src/s1" || fail "genisoimage"
  local m mode
  for m in cd-rw dvd-rw; do
    for mode in fast all; do
      insert "$m"
      expect_client cdrskin dev=/dev/sr0 -multi "$work/one.iso"
      expect_status "disc status: appendable"
      expect_client cdrskin dev=/dev/sr0 blank=$mode
      expect_status "disc status: blank"
    done
  done
  # A minimal blank leaves a DVD-RW that only takes disc-at-once.
  insert dvd-rw
  expect_client cdrskin dev=/dev/sr0 "$work/one.iso"
  expect_client cdrskin dev=/dev/sr0 blank=deformat_sequential_quickest
  expect_client xorriso -outdev /dev/sr0 -toc && expect_output "will need -close on" "minimally blanked DVD-RW"
  expect_client xorriso -dev /dev/sr0 -close on -map "$work/src/s1" /s1 -commit
  expect_status "disc status: complete"
  expect_xorriso_copies 1
  insert dvd-r
  expect_client cdrskin dev=/dev/sr0 -v -sao "$work/one.iso" && expect_output "in real SAO mode" "cdrskin -sao"
  expect_status "disc status: complete"
  expect_xorriso_copies 1
  # A new DVD+RW is formatted by xorriso, then written.
  insert dvd+rw
  expect_status "disc status: blank"
  expect_client xorriso -outdev /dev/sr0 -format full
  expect_status "disc status: complete"
  expect_client xorriso -dev /dev/sr0 -map "$work/src/s2" /s2 -commit
  expect_xorriso_copies 2
}

# wodim on CD-R: track-at-once, session-at-once, and two multisession tracks.
wodim_cd() {
  need wodim genisoimage xorriso
  make_sources
  genisoimage -quiet -R -J -graft-points -o "$work/one.iso" "/s1=$work/src/s1" || fail "genisoimage"
  local mode
  for mode in -tao -sao; do
    insert cd-r
    expect_client wodim dev=/dev/sr0 $mode "$work/one.iso"
    expect_status "disc status: complete"
    expect_xorriso_copies 1
  done
  insert cd-r
  expect_client wodim dev=/dev/sr0 -tao -multi "$work/one.iso"
  expect_status "disc status: appendable"
  expect_client wodim dev=/dev/sr0 -msinfo
  local msinfo
  msinfo=$(tail -n 1 "$log")
  genisoimage -quiet -R -J -graft-points -C "$msinfo" -M "$work/one.iso" -o "$work/two.iso" "/s2=$work/src/s2" 2>"$log" ||
    { fail "genisoimage -C $msinfo"; cat "$log"; }
  expect_client wodim dev=/dev/sr0 -tao -multi "$work/two.iso"
  expect_status "sessions: 3"
  expect_xorriso_copies 1 2
}

# growisofs: a new session and one more on every DVD.
growisofs_dvd() {
  need growisofs genisoimage xorriso
  make_sources
  local m
  for m in dvd-r dvd-rw dvd-rw-ro dvd+r dvd+rw dvd-ram; do
    insert "$m"
    expect_client growisofs -Z /dev/sr0 -R -J -graft-points "/s1=$work/src/s1"
    expect_client growisofs -M /dev/sr0 -R -J -graft-points "/s2=$work/src/s2"
    expect_xorriso_copies 1 2
  done
}

case $case_name in
  queries) queries ;;
  xorriso-sessions) xorriso_sessions ;;
  engine-sessions) engine_sessions ;;
  blanking) blanking ;;
  wodim) wodim_cd ;;
  growisofs) growisofs_dvd ;;
  *) echo "unknown case $case_name"; exit 2 ;;
esac
finish
