#!/usr/bin/env bash
# Turns metafile set directories into inputs of the loader fuzzer: the six files joined by the
# separator, file 2 first, then 0, 1, 3, 4, 5. Usage: fuzz-corpus.sh OUT_FILE SET_DIR
set -euo pipefail
out=$1
dir=$2
sep='@@QVSEP@@'
names=(SchemaMetafile_Harddrive.csc SchemaMetafile.csc SchemaMetafile_Memory.csc
       SchemaMetafile_DVD1.csc SchemaMetafile_DVD2.csc SchemaMetafile_DVD3.csc)
{
  first=1
  for n in "${names[@]}"; do
    [ "$first" = 1 ] || printf '%s' "$sep"
    first=0
    cat "$dir/$n"
  done
} > "$out"
