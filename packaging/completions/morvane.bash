# bash completion for morvane, morvane-snapshot, morvane-check and morvane-import.
# bash-completion looks a command's completion up by the command's name, so this
# one file is installed as "morvane" and linked under the other three names.

# The extensions morvane-import reads, as an alternation ("3ds|3mf|obj|..."). The
# importer is asked, so the list follows its model library; empty without it.
_morvane_model_extensions() {
  local formats
  mapfile -t formats < <(morvane-import --list-formats 2>/dev/null)
  local IFS='|'
  printf '%s' "${formats[*]}"
}

# Appends to COMPREPLY the folders that start with $1 and, for $2 = models, png
# or bmp, the files of that kind (either case of the extension).
_morvane_paths() {
  local current=$1 kind=$2 extensions=
  case $kind in
    models) extensions=$(_morvane_model_extensions) ;;
    png | bmp) extensions=$kind ;;
  esac
  compopt -o filenames 2>/dev/null
  mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -d -- "$current")
  if [[ $kind == models && -z $extensions ]]; then
    # Without the importer to ask, any file may be a model.
    mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -f -- "$current")
  elif [[ -n $extensions ]]; then
    local restore_extglob
    restore_extglob=$(shopt -p extglob)
    shopt -s extglob
    mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY \
      < <(compgen -f -X "!*.@($extensions|${extensions^^})" -- "$current")
    eval "$restore_extglob"
  fi
}

# Sets COMPREPLY to the options in $2 that start with $1.
_morvane_options() {
  mapfile -t COMPREPLY < <(compgen -W "$2" -- "$1")
}

_morvane() {
  local current=${COMP_WORDS[COMP_CWORD]}
  COMPREPLY=()
  if [[ $current == -* ]]; then
    _morvane_options "$current" '--windowed --fullscreen --watch --quiet --timings --help --version'
  else
    _morvane_paths "$current" models
  fi
}

_morvane_snapshot() {
  local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  case $previous in
    --frames | --keys | --threshold | --thumbnail) return ;;
    --output | --ref)
      _morvane_paths "$current" png
      return
      ;;
  esac
  if [[ $current == -* ]]; then
    _morvane_options "$current" \
      '--frames --keys --output --ref --threshold --thumbnail --quiet --timings --help --version'
  else
    _morvane_paths "$current" models
  fi
}

_morvane_check() {
  local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  case $previous in
    --bitmap)
      _morvane_paths "$current" bmp
      return
      ;;
    --png)
      _morvane_paths "$current" png
      return
      ;;
  esac
  if [[ $current == -* ]]; then
    _morvane_options "$current" '--bitmap --png --help --version'
  else
    _morvane_paths "$current" models
  fi
}

_morvane_import() {
  local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  [[ $previous == --spin || $previous == --time-limit || $previous == --memory-limit ]] && return
  if [[ $current == -* ]]; then
    _morvane_options "$current" \
      '--force --flat --spin --time-limit --memory-limit --list-formats --help --version'
    return
  fi
  # The first operand is the model, the second the scene folder to write.
  local i operands=0
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      --spin | --time-limit | --memory-limit) ((i++)) ;;
      -*) ;;
      *) ((operands++)) ;;
    esac
  done
  if ((operands == 0)); then
    _morvane_paths "$current" models
  elif ((operands == 1)); then
    _morvane_paths "$current" ''
  fi
}

complete -F _morvane morvane
complete -F _morvane_snapshot morvane-snapshot
complete -F _morvane_check morvane-check
complete -F _morvane_import morvane-import
