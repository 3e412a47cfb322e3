#!/usr/bin/env bash
# Signs a release folder for the update location. Usage: tools/sign-release.sh FOLDER [PRIVATE_KEY]
# FOLDER holds VersionInfo.ini and, under the name each "FileN" URL ends in, every file it lists.
# Writes the section [UpdateFileDigests] ("FileN=<sha256> <size>") into VersionInfo.ini, replacing
# an earlier one, and the detached signature VersionInfo.ini.sig; publish both with the files.
# The key defaults to keys/update-key.pem (tools/update-keys.sh).
set -euo pipefail

folder="${1:?usage: tools/sign-release.sh FOLDER [PRIVATE_KEY]}"
key="${2:-$(cd "$(dirname "$0")/.." && pwd)/keys/update-key.pem}"
ini="$folder/VersionInfo.ini"
[ -f "$ini" ] || { echo "$ini is missing." >&2; exit 1; }
[ -f "$key" ] || { echo "no private key at $key (tools/update-keys.sh makes one)." >&2; exit 1; }

# The file list as the updater reads it: the first [VersionUpdateFiles] section (any case), keys
# File0, File1, ... up to the first missing or empty one; values trimmed, one pair of quotes removed.
list_values() {
  awk '
    { sub(/\r$/, "") }
    /^[ \t]*\[/ {
      name = $0; sub(/^[ \t]*\[/, "", name); sub(/\].*$/, "", name)
      if (tolower(name) == "versionupdatefiles" && !seen) { inside = 1; seen = 1 } else { inside = 0 }
      next
    }
    inside && index($0, "=") > 0 && $0 !~ /^[ \t]*;/ {
      key = substr($0, 1, index($0, "=") - 1); gsub(/^[ \t]+|[ \t]+$/, "", key); key = tolower(key)
      value = substr($0, index($0, "=") + 1); gsub(/^[ \t]+|[ \t]+$/, "", value)
      if (value ~ /^".*"$/ && length(value) > 1) value = substr(value, 2, length(value) - 2)
      if (!(key in values)) values[key] = value
    }
    END { for (n = 0; ("file" n) in values && values["file" n] != ""; n++) print values["file" n] }
  ' "$ini"
}

digests=""
n=0
while IFS= read -r value; do
  name="${value##*/}"
  name="${name:0:80}"
  file="$folder/$name"
  [ -f "$file" ] || { echo "File$n names $name, which is not in $folder." >&2; exit 1; }
  sum="$(sha256sum < "$file" | cut -d' ' -f1)"
  size="$(stat -c %s "$file")"
  digests+="File$n=$sum $size"$'\n'
  n=$((n + 1))
done < <(list_values)

# Everything but an earlier digest section, then the new one at the end.
kept="$(awk '
  /^[ \t]*\[/ { name = $0; sub(/^[ \t]*\[/, "", name); sub(/\].*$/, "", name); sub(/\r$/, "", name)
                skip = (tolower(name) == "updatefiledigests") }
  !skip { print }
' "$ini")"
printf '%s\n[UpdateFileDigests]\n%s' "$kept" "$digests" > "$ini.new"
mv "$ini.new" "$ini"
openssl dgst -sha256 -sign "$key" -out "$ini.sig" "$ini"
echo "Signed $ini ($n files) into $ini.sig"
