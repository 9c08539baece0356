#!/usr/bin/env bash
# Writes the seed inputs of the fuzz targets into tests/fuzz/corpus/<target>/, from the byte
# tables of the frames: a few valid answers and the edge cases around them. The files are kept in
# the repository; run this again after changing a seed here.
set -euo pipefail
cd "$(dirname "$0")"

# seed TARGET NAME HEX...: one file of those bytes (pairs of hex digits, spaces ignored).
seed() {
  local target=$1 name=$2
  shift 2
  local hex escaped="" i
  hex=$(tr -d ' ' <<<"$*")
  for ((i = 0; i < ${#hex}; i += 2)); do
    escaped+="\\x${hex:i:2}"
  done
  mkdir -p "corpus/$target"
  printf '%b' "$escaped" >"corpus/$target/$name"
}

rm -rf corpus
mkdir -p corpus

# Panel MCU answers: 55 AA, type, L (from itself to the end), L - 1 payload bytes.
m=mcuAnswerFuzz
seed $m empty ""
seed $m syncOnly 55 AA
seed $m version 55 AA 80 05 00 01 00 07
seed $m versionTrailing 55 AA 80 05 00 01 00 07 55 AA
seed $m versionTruncated 55 AA 80 05 00 01 00
seed $m versionWrongSync AA 55 80 05 00 01 00 07
seed $m versionOddGarbage 00 55 AA 80 05 00 01 00 07
# X 1A 2B: direction set, 2603; shuttle 85: direction set, 5; keys 0 and 39 pressed.
seed $m status 55 AA 81 15 01 1A 2B 0F FF 10 00 85 03 12 34 00 40 80 FF 80 00 00 00 01
seed $m statusTrailing 55 AA 81 15 01 1A 2B 0F FF 10 00 85 03 12 34 00 40 80 FF 80 00 00 00 01 55 AA
seed $m statusTruncated 55 AA 81 15 01 1A 2B 0F FF 10 00 85 03 12 34 00 40 80 FF 80 00 00 00
seed $m statusWrongLength 55 AA 81 14 01 1A 2B 0F FF 10 00 85 03 12 34 00 40 80 FF 80 00 00 00
seed $m statusLongPromise 55 AA 81 FF 00
seed $m tbar 55 AA 82 05 03 F4 00 17
seed $m tbarWrongType 55 AA 83 05 03 F4 00 17
seed $m settingAck 55 AA 86 02 06
seed $m settingNack 55 AA 86 02 15
seed $m settingAckTrailing 55 AA 86 02 06 00
seed $m initAck 55 AA 87 02 06
seed $m initAckTrailing 55 AA 87 02 06 55 AA

# Camera answers start with 90 and end with FF; over HCIP a 2-byte length that counts itself
# comes first.
c=cameraAnswerFuzz
seed $c empty ""
# Bars, tally and menu on; 1080p50; auto white balance; red gain A7, blue 03; autofocus;
# exposure manual; flips and pan/tilt reversed; speed mid.
seed $c statusBlock 90 50 16 14 00 0A 07 00 03 02 03 00 31 02 FF
seed $c statusFocusKept 90 50 00 01 05 00 00 0F 0F 04 0D 00 00 03 FF
seed $c statusSpeedOutOfRange 90 50 00 08 08 0F 0F 00 00 03 0A 00 20 07 FF
seed $c statusShort 90 50 16 14 00 0A 07 00 03 02 03 00 31 02
seed $c statusHcip 00 11 90 50 16 14 00 0A 07 00 03 02 03 00 31 02 FF
seed $c statusHcipShort 00 10 90 50 16 14 00 0A 07 00 03 02 03 00 31 FF
seed $c shutter 90 50 00 00 0A 07 FF
seed $c shutterHcip 00 09 90 50 00 00 0A 07 FF
seed $c shutterShort 90 50 00 00 0A
seed $c version11 90 50 00 20 04 C1 01 00 00 02 FF
seed $c version16 90 50 00 20 05 10 01 00 00 02 00 00 00 00 00 FF
seed $c version10 90 50 00 20 04 C1 01 00 02 FF
# Duplicate rule: byte 0 picks the index (bits 0-1: 3, 5, 11, byte 1) and, with bit 2, the same
# message twice. A repeated preset recall passes; a repeated zoom stop does not.
seed $c repeatPresetRecall 04 00 81 01 04 3F 02 09 FF
seed $c repeatZoomStop 04 00 81 01 04 07 00 FF
seed $c repeatHcipPreset 05 00 00 09 81 01 04 3F 02 09 FF
seed $c repeatViscaOverIp 06 00 01 00 00 06 00 00 01 02 81 01 04 07 00 FF
seed $c repeatNegativeIndex 07 FF 81 01 04 0A 02 FF
seed $c differentMessages 18 00 81 01 04 07 00 FF 81 01 04 07 00 FF

# Rotary input: byte 0 = number of read sizes, the sizes, then 24-byte input_event records of a
# 64-bit little-endian machine (16 bytes of time, type, code, value).
r=rotaryStepsFuzz
time="00000000 00000000 00000000 00000000"
plusOne="$time 0200 0000 01000000"
minusOne="$time 0200 0000 FFFFFFFF"
sync="$time 0000 0000 00000000"
relY="$time 0200 0100 01000000"
relXTwo="$time 0200 0000 02000000"
keyPress="$time 0100 1001 01000000"
seed $r empty ""
seed $r oneDetent 00 "$plusOne"
seed $r detentAndSyncInOddReads 02 07 0D "$minusOne" "$sync"
seed $r byteByByte 01 01 "$plusOne" "$minusOne"
seed $r emptyReads 01 00 "$plusOne"
seed $r ignoredEvents 03 18 05 FF "$relY" "$relXTwo" "$keyPress" "$minusOne"
seed $r unfinishedRecord 00 "$time 0200 0000 010000"

# MCU answer collection: a byte choosing the exchange (bit 0 status, bit 1 fixed steps, bit 2 the
# daemon), then pieces of [gap in 4-us steps][length][bytes].
f=mcuFrameSearchFuzz
statusAnswer="55 AA 81 15 01 1A 2B 00 00 00 00 85 00 03 F4 00 00 00 00 00 10 00 00 00"
seed $f statusWhole 01 08 18 "$statusAnswer"
seed $f statusInPieces 01 08 06 55 AA 81 15 01 1A 10 12 2B 00 00 00 00 85 00 03 F4 00 00 00 00 \
  00 10 00 00 00
seed $f commandGarbageFirst 00 FF 0A 01 02 55 AA 80 05 00 01 00 07
seed $f commandOddGarbage 02 10 09 01 55 AA 80 05 00 01 00 07
seed $f daemonStatusTruncated 05 02 06 55 AA 81 15 01 1A

h=hcipDatagramFuzz
seed $h scan 00 00 0B 00 0B 80 00 45 54 48 5F 52 45 51
# SET_IPADR for the own MAC, then the netmask and both DNS servers: a complete manual setup.
seed $h manualSetup 00 00 1B 00 1B 80 03 02 A4 5C 01 12 AB 53 45 54 5F 49 50 41 44 52 0A 4D 00 32 \
  0A 4D 00 FE 00 13 00 13 81 0B 53 45 54 5F 4E 45 54 4D 41 53 4B FF FF 00 00 00 12 00 12 81 0D 53 \
  45 54 5F 50 52 49 44 4E 53 09 09 09 09 00 12 00 12 81 0E 53 45 54 5F 53 45 43 44 4E 53 08 08 04 \
  04
seed $h hostName 01 00 20 00 20 81 09 53 45 54 5F 44 48 43 50 4E 41 4D 45 63 61 6D 0A 5B 78 5D 00 \
  00 00 00 00 00 00 00 00 00
seed $h dhcpAndMac 00 00 17 00 17 80 02 02 A4 5C 01 12 AB 53 45 54 5F 44 48 43 50 4D 4F 44 45 01 \
  00 14 00 14 81 0A 53 45 54 5F 4D 41 43 41 44 52 02 A4 5C 07 12 AB

# Scan answers: a byte for the camera slots offered, then [length][sender's last number][bytes].
a=scanAnswersFuzz
camera="00 2F 80 00 00 63 61 6D 00 00 00 00 00 00 00 00 00 00 00 00 00 02 A4 5C 07 00 1E 0A 4D 00 \
  1E FF FF FF 00 0A 4D 00 FE 08 08 08 08 01 01 01 01"
seed $a oneCamera 18 00 2F 1E "$camera"
seed $a cameraTwiceAndAck 18 00 2F 1E "$camera" 00 2F 1E "$camera" 00 05 09 00 05 80 03 15
seed $a modelAnswers 18 00 2F 1E "$camera" 00 08 1E 00 08 80 40 05 99 41 02 00 14 1E 00 14 80 41 \
  50 54 5A 00 00 00 00 00 00 00 00 00 00 00 00 00
seed $a truncatedInformation 18 00 14 07 00 14 80 00 00 63 61 6D

# Daemon requests: [client byte, bit 7 a disconnect][length][message].
d=daemonRequestsFuzz
seed $d bookAndRelease 00 0A 52 45 47 49 53 54 5F 52 43 41 01 0A 52 45 47 49 53 54 5F 52 43 61 \
  00 0B 52 45 4C 45 41 53 45 5F 52 43 01
seed $d bookThenGo 02 0A 52 45 47 49 53 54 5F 52 43 FF 82 00 03 0A 52 45 47 49 53 54 5F 52 43 0F

# The switcher: port answers (08 00 00 00 lo hi AA 55), and poll answers (an 8-byte header, then
# 8-byte records r0 00 r2 00 tally 00 00 00 for channel r0 - 0x0A + 1 when r2 is 0).
w=switcherAnswersFuzz
seed $w empty ""
seed $w port5001 08 00 00 00 89 13 AA 55
seed $w portShort 08 00 00 00 89
seed $w headerOnly 08 00 00 00 00 00 00 00
seed $w programOnOne 10 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00
seed $w twoAndPartial 1F 00 00 00 00 00 00 00 0A 00 00 00 05 00 00 00 1A 00 00 00 01 00 00 00 0B 00 00 00 04 00 00
seed $w skipped 18 00 00 00 00 00 00 00 1B 00 00 00 04 00 00 00 0A 00 01 00 04 00 00 00
