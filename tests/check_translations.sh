#!/usr/bin/env bash
# Fails when a catalogue under translations/ is not complete: a text of the
# sources that it lacks (lupdate run over a copy finds it new), one it still
# holds that the sources no longer say, or a translation left unfinished.
#   check_translations.sh LUPDATE PROJECT_DIR
set -u
lupdate=${1:?usage: check_translations.sh LUPDATE PROJECT_DIR}
project=${2:?usage: check_translations.sh LUPDATE PROJECT_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
for ts in "$project"/translations/*.ts; do
  name=$(basename "$ts")
  cp "$ts" "$work/$name"
  if ! "$lupdate" -silent -locations none -source-language pt_BR "$project/src" -ts "$work/$name" >"$work/log" 2>&1; then
    echo "$name: lupdate failed:"; cat "$work/log"; status=1; continue
  fi
  # Texts lupdate added (unfinished) or that the sources no longer hold
  # (vanished, obsolete).
  while IFS= read -r source; do
    echo "$name: not translated: $source"; status=1
  done < <(python3 - "$work/$name" <<'PY'
import sys, xml.etree.ElementTree as ET
for context in ET.parse(sys.argv[1]).getroot().iter('context'):
    for message in context.iter('message'):
        translation = message.find('translation')
        kind = translation.get('type') if translation is not None else 'missing'
        if kind in ('unfinished', 'vanished', 'obsolete', 'missing') or not (translation.text or '').strip():
            print('%s [%s]: %s' % (context.findtext('name'), kind or 'empty', message.findtext('source')))
PY
)
done
[ $status -eq 0 ] && echo "catalogues: complete"
exit $status
