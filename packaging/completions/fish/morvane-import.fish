# fish completion for morvane-import: the model file, then the scene folder to write.

# Succeeds when the command line so far holds COUNT operands (the value of
# --spin, --time-limit and --memory-limit is not one).
function __morvane_import_has_operands --argument-names count
    set -l operands 0
    set -l skip_value false
    for token in (commandline -opc)[2..]
        if $skip_value
            set skip_value false
        else if contains -- "$token" --spin --time-limit --memory-limit
            set skip_value true
        else if not string match -q -- '-*' $token
            set operands (math $operands + 1)
        end
    end
    test $operands -eq $count
end

complete -c morvane-import -f
complete -c morvane-import -n '__morvane_import_has_operands 0' -a '(__morvane_paths models)'
complete -c morvane-import -n '__morvane_import_has_operands 1' -a '(__morvane_paths folders)'
complete -c morvane-import -l force -d 'Replace files that already exist in the folder'
complete -c morvane-import -l spin -x -d 'Turn the model about y at this rate (-1000 to 1000)'
complete -c morvane-import -l flat -d 'Write the model unlit'
complete -c morvane-import -l time-limit -x -d 'Give up reading the model after this many seconds'
complete -c morvane-import -l memory-limit -x -d 'Give up reading the model beyond this many megabytes'
complete -c morvane-import -l list-formats -d 'Print the file extensions that can be read'
complete -c morvane-import -l help -d 'Print the usage and exit'
complete -c morvane-import -l version -d 'Print the version and exit'
