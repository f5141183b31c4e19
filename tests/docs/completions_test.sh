#!/usr/bin/env bash
# The bash, zsh and fish completions parse, offer every option that each
# program's --help names, and complete scene folders, model files (the
# extensions the built morvane-import reads), PNGs and bitmaps where they go.
#   completions_test.sh COMPLETIONS_DIR PROGRAMS_DIR...
set -uo pipefail
export LC_ALL=C
completions=$(realpath "$1")
shift
PATH=$(realpath "$@" | tr '\n' ':')$PATH
status=0
fail() {
  echo "completions: $*"
  status=1
}

bash -n "$completions/morvane.bash" || fail "morvane.bash does not parse"
zsh -n "$completions/_morvane" || fail "_morvane does not parse"
for file in "$completions"/fish/*.fish; do
  fish --no-execute "$file" || fail "$(basename "$file") does not parse"
done

# What bash offers for the command line "$@" (the last word being completed).
bash_offers() {
  bash -c 'source "$0"
    COMP_WORDS=("${@:1}"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    function=$(complete -p "$1" | awk "{ print \$3 }")
    "$function"; ((${#COMPREPLY[@]} == 0)) || printf "%s\n" "${COMPREPLY[@]}"' "$completions/morvane.bash" "$@" | sort
}
# What fish offers for the command line $1, without the descriptions.
# shellcheck disable=SC2016 # fish expands $argv
fish_offers() {
  fish --no-config -c 'set fish_function_path $argv[1] $fish_function_path
    set fish_complete_path $argv[1] $fish_complete_path
    complete -C$argv[2]' "$completions/fish" "$1" | cut -f1 | sort
}
# The lines of zsh's completion between "PROGRAM)" and its ";;".
zsh_branch() {
  sed -n "/^  $1)\$/,/;;/p" "$completions/_morvane"
}

for program in morvane morvane-snapshot morvane-check morvane-import; do
  if ! help=$("$program" --help); then
    fail "$program --help fails"
    continue
  fi
  mapfile -t options < <({ grep -oE -- '--[a-z][a-z-]+' <<<"$help"; printf '%s\n' --help --version; } | sort -u)
  bash_options=$(bash_offers "$program" --)
  fish_options=$(fish_offers "$program --")
  zsh_options=$(zsh_branch "$program"; sed -n '/^common=(/,/^)/p' "$completions/_morvane")
  for option in "${options[@]}"; do
    grep -qx -- "$option" <<<"$bash_options" || fail "bash does not offer $program $option"
    grep -qx -- "$option" <<<"$fish_options" || fail "fish does not offer $program $option"
    grep -qF -- "${option}[" <<<"$zsh_options" || fail "zsh does not offer $program $option"
  done
done

# Paths, in a folder holding one file of each kind, in both cases of extension.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir scene 'my scene'
touch model.obj MODEL.GLB 'two words.stl' notes.txt picture.png texture.BMP
models=$'MODEL.GLB\nmodel.obj\nmy scene\nscene\ntwo words.stl'
folders=$'my scene\nscene'
expect_offer() { # SHELL COMMAND_LINE EXPECTED ACTUAL
  [[ $4 == "$3" ]] || fail "$1 completes '$2' with [${4//$'\n'/, }], not [${3//$'\n'/, }]"
}
check_paths() { # COMMAND_LINE EXPECTED (bash's folders without the '/' fish adds)
  local words
  read -ra words <<<"$1"
  [[ $1 == *' ' ]] && words+=('')
  expect_offer bash "$1" "$2" "$(bash_offers "${words[@]}")"
  expect_offer fish "$1" "$2" "$(fish_offers "$1" | sed 's|/$||')"
}
check_paths 'morvane ' "$models"
check_paths 'morvane --watch m' $'model.obj\nmy scene'
check_paths 'morvane-snapshot --frames 5 ' "$models"
check_paths 'morvane-snapshot --output ' $'my scene\npicture.png\nscene'
check_paths 'morvane-check ' "$models"
check_paths 'morvane-check --bitmap ' $'my scene\nscene\ntexture.BMP'
check_paths 'morvane-import ' "$models"
check_paths 'morvane-import --spin 3 model.obj ' "$folders"
exit $status
