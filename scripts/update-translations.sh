#!/usr/bin/env bash
# Brings the translation files of the screens (ui/translations/app_<language>.ts) up to date with
# the texts in ui/ and the texts the panel application makes for the screens in panel/ (context
# "mainControl": camera messages, "Please reboot ZEK710A", failures): new texts come in
# unfinished, texts no longer used go, translations stay.
# Then write the new translations into the files (Qt Linguist, or by hand) and mark them finished;
# the translations test fails while any text lacks one.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=$(command -v lupdate || echo /usr/lib/qt5/bin/lupdate)
for code in en_US zh_TW zh_CN es_ES pt_PT; do
  "$lupdate" -silent -locations none -no-obsolete -source-language en_US -target-language "$code" \
    ui panel -ts "ui/translations/app_$code.ts"
done
grep -c 'type="unfinished"' ui/translations/*.ts || true
