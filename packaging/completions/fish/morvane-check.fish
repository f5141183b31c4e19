# fish completion for morvane-check: a scene folder or a model file, or one bitmap.
complete -c morvane-check -f -a '(__morvane_paths models)'
complete -c morvane-check -l bitmap -x -a '(__morvane_paths bmp)' -d 'Decode one bitmap as the viewer does'
complete -c morvane-check -l png -x -a '(__morvane_paths png)' -d 'Write the decoded bitmap to this PNG'
complete -c morvane-check -l help -d 'Print the usage and exit'
complete -c morvane-check -l version -d 'Print the version and exit'
