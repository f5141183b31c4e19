# Completes the current token with folders and, for KIND = models, png or bmp,
# files of that kind (either case of the extension); KIND = folders gives
# folders alone. For models, morvane-import is asked which extensions it reads,
# so the list follows its model library; without it, any file.
function __morvane_paths --argument-names kind --description 'Folders, and files of one kind'
    set -l pattern
    switch $kind
        case models
            set -l formats (morvane-import --list-formats 2>/dev/null)
            set pattern .
            if set -q formats[1]
                set pattern '\.('(string join '|' -- (string escape --style=regex -- $formats))')$'
            end
        case png bmp
            set pattern '\.'$kind'$'
    end
    for path in (commandline -ct)*
        if test -d $path
            printf '%s/\tFolder\n' $path
        else if test -n "$pattern"; and string match -qir -- $pattern $path
            printf '%s\n' $path
        end
    end
end
