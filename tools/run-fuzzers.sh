#!/bin/bash
# Builds the libFuzzer targets with clang and the sanitizers in build-fuzz/ and
# runs each for a bounded time on a small seed corpus made here. Exits non-zero
# when a fuzzer finds a crash (its reproducer is left in build-fuzz/).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
tools/ensure-packages.sh
build="${TARNEL_FUZZ_BUILD_DIR:-build-fuzz}"
seconds="${TARNEL_FUZZ_SECONDS:-60}"
panel_seconds="${TARNEL_PANEL_FUZZ_SECONDS:-45}"
bitmap_seconds="${TARNEL_BITMAP_FUZZ_SECONDS:-30}"
mapping_seconds="${TARNEL_MAPPING_FUZZ_SECONDS:-30}"
# The radio panel's fuzzer runs for at most 30 s.
rmp_seconds=$(( seconds < 30 ? seconds : 30 ))
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNEL_FUZZ=ON -DTARNEL_SANITIZE=ON -DTARNEL_BUILD_TESTS=OFF -DTARNEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j2 --target IniReaderFuzz PanelFuzz BitmapFuzz RmpInputFuzz InputMappingFuzz WebMessageFuzz WebRequestFuzz
web_seconds=$(( seconds < 30 ? seconds : 30 ))

# Seed corpus: a few small ini files of the program's own shape.
corpus="$build/corpus/IniReaderFuzz"
rm -rf "$corpus"
mkdir -p "$corpus"
printf '[DIRECTORY_PATHS]\nCockpitPanelBitMaps = ..\\Buttons\nProgramPath = /tmp\n[FILES]\nMainPicture = /etc/hostname\nHelpFile = ..\\Help\\h.hlp\n[OPTIONS]\nLargeFont = 14\nIterationRate = 25\nLAYOUT = FMGS_CAPT\nDONT_ASK = True\n' >"$corpus/program.ini"
printf '[FILES]\r\n\tMain Picture\t=  C:\\My Files\\p.bmp  \r\nFixData=\r\n[OPTIONS]\r\nSmallFont = 99999999999\r\n' >"$corpus/crlf.ini"
printf 'Stray = 1\n[A]\nDup = one\nDup = two\nEntry Only\nPath = x[1]\n[A]\nLate = 1\n' >"$corpus/sections.ini"
printf 'Key=Item\n[Key]\nItem = 1e300\nFlag = on1\n' >"$corpus/numbers.ini"

# Seed corpus of the input mappings: a worked file and a few bad lines.
mapping_corpus="$build/corpus/InputMappingFuzz"
rm -rf "$mapping_corpus"
mkdir -p "$mapping_corpus"
cp docs/inputs-example.ini "$mapping_corpus/example.ini"
printf 'air: button 1 = button 0 toggle\n[Box]\nair: knob D = axis 2 0:-32768..-1 1:0..100 7:101..32767\nrmp: tuning knob = buttons 1 2 step\nrmp: tuning knob = button 3 push\n[03000000aaaa]\r\n\tair : switch 0 = hat 1\r\nair: switch 0 = buttons 4 5\n' >"$mapping_corpus/kinds.ini"
printf '[Box\nair: button 99 = button 128 hold\n= button 1\nfuel-jettison: guarded button 0 = button 1 toggle-guard\n[]\nair:=\n' >"$mapping_corpus/bad.ini"

# Seed corpus of the radio panel: an input block with powered radios, then
# clicks (button byte, target byte; button 3: a float for a slot follows).
rmp_corpus="$build/corpus/RmpInputFuzz"
rm -rf "$rmp_corpus"
mkdir -p "$rmp_corpus"
z4='\x00\x00\x00\x00'
radios='\xcd\x8c\xec\x42\x00\x00\xf3\x42\x19\x04\xf0\x41\x25\x06\x91\x40'"$z4$z4"
navaids='\x9a\x99\xe0\x42\x9a\x99\xe0\x42\x00\x00\x7a\x43\x00\x00\x7a\x43\x9a\x99\xdc\x42'
block="$radios$navaids$z4$z4$z4"'\x01\x01\x00\x00'
printf "$block"'\x81\x0d\x81\x0e\x82\x0e\x81\x0e\x81\x00\x81\x0d' >"$rmp_corpus/transfer.bin"
printf "$block"'\x82\x10\x81\x07\x81\x08\x81\x0e\x81\x0d\x81\x0e\x81\x0d\x81\x0a\x81\x0b\x83\x08\x00\x00\xc0\x7f\x81\x07' >"$rmp_corpus/backup-nav.bin"
printf '\x00\x00\xc0\x7f\xca\xf2\x49\x71\x00\x00\x80\x7f\x00\x00\x80\xff\xca\xf2\x49\xf1'"$z4$z4$z4$z4$z4$z4$z4$z4$z4"'\x01\x01\x01\x00\x81\x03\x81\x0d\x81\x00\x81\x0d' >"$rmp_corpus/foreign.bin"

cd "$build"
echo "IniReaderFuzz: ${seconds} s"
./bin/IniReaderFuzz -max_total_time="$seconds" -max_len=8192 -timeout=10 -print_final_stats=1 \
  "corpus/IniReaderFuzz"

# The panels: seeds from the field declarations, written by the target itself.
rm -rf corpus/PanelFuzz
echo "PanelFuzz: ${panel_seconds} s"
TARNEL_FUZZ_WRITE_SEEDS=corpus/PanelFuzz ./bin/PanelFuzz -runs=0 >/dev/null 2>&1 || true
./bin/PanelFuzz -max_total_time="$panel_seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
  "corpus/PanelFuzz"

# The bitmap loader: seeds are a few of the generated control images.
rm -rf corpus/BitmapFuzz
mkdir -p corpus/BitmapFuzz
mapfile -t seeds < <(find bin/CockpitBitmaps -name '*.bmp' -size -4k | sort)
step=$(( ${#seeds[@]} / 8 + 1 ))
for ((i = 0; i < ${#seeds[@]}; i += step)); do cp "${seeds[$i]}" "corpus/BitmapFuzz/seed$i.bmp"; done
echo "BitmapFuzz: ${bitmap_seconds} s"
./bin/BitmapFuzz -max_total_time="$bitmap_seconds" -max_len=16384 -timeout=10 -rss_limit_mb=1024 \
  -print_final_stats=1 "corpus/BitmapFuzz"

echo "InputMappingFuzz: ${mapping_seconds} s"
./bin/InputMappingFuzz -max_total_time="$mapping_seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
  "corpus/InputMappingFuzz"

echo "RmpInputFuzz: ${rmp_seconds} s"
./bin/RmpInputFuzz -max_total_time="$rmp_seconds" -max_len=512 -timeout=10 -print_final_stats=1 \
  "corpus/RmpInputFuzz"

# The web panel: a browser's messages, and raw requests through the server.
rm -rf corpus/WebMessageFuzz corpus/WebRequestFuzz
mkdir -p corpus/WebMessageFuzz corpus/WebRequestFuzz
printf 'down 633 875' >corpus/WebMessageFuzz/down
printf 'rup 1879 1299' >corpus/WebMessageFuzz/rup
printf 'F\x00\x01\x00\x01\x00\x02\x00\x03\x00\x04\x00\x02\x00\x00\x00PN' >corpus/WebMessageFuzz/frame
printf 'GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n' >corpus/WebRequestFuzz/page
printf 'GET /?token=fuzz-token-123 HTTP/1.1\r\nHost: localhost:80\r\n\r\n' >corpus/WebRequestFuzz/kiosk
printf 'POST /login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 11\r\n\r\ntoken=wrong' >corpus/WebRequestFuzz/login
printf 'GET /ws HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\nOrigin: http://127.0.0.1\r\n\r\n\x81\x8a\x00\x00\x00\x00down 10 20' >corpus/WebRequestFuzz/upgrade
echo "WebMessageFuzz: ${web_seconds} s"
./bin/WebMessageFuzz -max_total_time="$web_seconds" -max_len=256 -timeout=10 -print_final_stats=1 corpus/WebMessageFuzz
echo "WebRequestFuzz: ${web_seconds} s"
./bin/WebRequestFuzz -max_total_time="$web_seconds" -max_len=4096 -timeout=20 -print_final_stats=1 corpus/WebRequestFuzz
