#!/bin/sh
# Kills `brindle-tool play` with SIGKILL at random moments, runs `brindle-tool recover` at once,
# and counts what went wrong:
#   config-changed  the emulator's configuration differs from before the play once everything
#                   has ended and been recovered
#   rom-not-back    the ROM is not under its own name, with its own bytes, at that point
#   under-emulator  the ROM lost its play name, or the configuration its patch folder, while the
#                   emulator ran
#   litter          temporary files left beside the database or the configuration
# Run by hand: tests/stress/kill-play.sh build/src/brindle-tool [KILLS] [MAX_DELAY_MS]
# (the delays are drawn towards the start of the play, where most of the steps are)
set -u
tool=$(realpath "${1:?usage: kill-play.sh BRINDLE-TOOL [KILLS] [MAX_DELAY_MS]}")
kills=${2:-500}
maxDelay=${3:-60}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/roms" "$work/my patches" "$work/zsnes"
head -c 1048576 /dev/zero | tr '\0' 'R' > "$work/roms/game.fig"
printf 'PATCHEOF' > "$work/my patches/Game (fixed).ips"
config="$work/zsnes/zsnesl.cfg"
# CRLF=1 writes a file every build of Brindle gives back byte for byte after a play (CR LF line
# ends, one blank after "="), to compare builds.
{
  printf '; ZSNES configuration\r\n'
  i=0
  while [ $i -lt 300 ]; do printf 'Key%d = %d\r\n' $i $i; i=$((i + 1)); done
  if [ "${CRLF:-0}" = 1 ]; then
    printf 'SaveDirectory = /home/me/saves\r\n'
  else
    printf 'SaveDirectory = /home/me/saves\n'
    printf 'SRAMPath="/home/me/.zsnes/sram/"\n'
    printf 'IPSPath=""\nlast line without end'
  fi
} > "$config"
cp "$config" "$work/config.orig"

# The emulator checks, while it runs, that the play is still set up around it.
emulator="$work/zsnes/emulator"
cat > "$emulator" <<EMU
#!/bin/sh
i=0
while [ \$i -lt 8 ]; do
  [ -e "\$1" ] || echo "rom renamed under the emulator" >> "$work/violations"
  grep -q '^SaveDirectory = $work/my patches/' "$config" ||
    echo "configuration put back under the emulator" >> "$work/violations"
  sleep 0.02
  i=\$((i + 1))
done
EMU
chmod +x "$emulator"

db="$work/brindle.dat"
printf '[vars]\r\nZSNES=%s/zsnes/\r\nZSNESVer=zsnesl\r\nZConfig=%s\r\nZExecutable=%s\r\nIgnoreHash=1\r\n\r\n[patches]\r\nGame Fixed|me|1|d|%s/my patches/Game (fixed).ips|GAME|8Mbit|\r\n\r\n[roms]\r\nGAME|8Mbit|%s/roms/game.fig|x\r\n' \
  "$work" "$config" "$emulator" "$work" "$work" > "$db"

configChanged=0
romNotBack=0
underEmulator=0
litter=0
stillPlaying=0
phases=""
finished=0
n=0
while [ $n -lt "$kills" ]; do
  n=$((n + 1))
  : > "$work/violations"
  "$tool" play "$work/my patches/Game (fixed).ips" --db "$db" </dev/null >"$work/play.out" 2>&1 &
  player=$!
  delay=$(awk -v seed="$n$$" -v max="$maxDelay" 'BEGIN { srand(seed); r = rand(); printf "%.4f", r * r * max / 1000 }')
  sleep "$delay"
  kill -9 "$player" 2>/dev/null || finished=$((finished + 1))
  wait "$player" 2>/dev/null
  # How far the play had got, by the last line of its journal.
  phase=none
  [ -e "$work/brindle.play" ] && phase=$(sed -n 's/^\([A-Za-z]*\)=.*/\1/p' "$work/brindle.play" | tail -n 1)
  phases="$phases ${phase:-claim}"
  # At once: a recovery while the emulator may still run must leave it alone.
  "$tool" recover --db "$db" >"$work/recover.out" 2>&1
  grep -q "still being played" "$work/recover.out" && stillPlaying=$((stillPlaying + 1))
  # Once the emulator has ended, a later recovery puts back whatever is left.
  while grep -q "still being played" "$work/recover.out"; do
    sleep 0.02
    "$tool" recover --db "$db" >"$work/recover.out" 2>&1
  done
  cmp -s "$config" "$work/config.orig" || { configChanged=$((configChanged + 1)); cp "$work/config.orig" "$config"; }
  if [ ! -f "$work/roms/game.fig" ] || [ -e "$work/roms/Game (fixed).smc" ]; then
    romNotBack=$((romNotBack + 1))
    [ -e "$work/roms/Game (fixed).smc" ] && mv -n "$work/roms/Game (fixed).smc" "$work/roms/game.fig"
  fi
  [ -s "$work/violations" ] && underEmulator=$((underEmulator + 1))
  for f in "$work"/brindle.dat.brindle-tmp-?????? "$work"/brindle.play.brindle-tmp-?????? \
    "$config".brindle-tmp-??????; do
    [ -e "$f" ] && litter=$((litter + 1)) && rm -f "$f"
  done
done
echo "kills: $kills (player had already ended: $finished; recover found the emulator running: $stillPlaying)"
echo "the journal's last line at the kill:$(echo "$phases" | tr ' ' '\n' | sed '/^$/d' | sort | uniq -c | awk '{ printf " %s %d", $2, $1 }')"
echo "config-changed: $configChanged"
echo "rom-not-back: $romNotBack"
echo "under-emulator: $underEmulator"
echo "litter: $litter"
[ $configChanged -eq 0 ] && [ $romNotBack -eq 0 ] && [ $underEmulator -eq 0 ]
