# fish completion for morvane: a scene folder or a model file, and its options.
complete -c morvane -f -a '(__morvane_paths models)'
complete -c morvane -l windowed -d 'Open a window without asking'
complete -c morvane -l fullscreen -d 'Run full screen without asking'
complete -c morvane -l watch -d 'Load the scene again whenever its files change'
complete -c morvane -l quiet -d 'Keep the parse log off standard output'
complete -c morvane -l timings -d 'Print the time of each start-up phase'
complete -c morvane -l help -d 'Print the usage and exit'
complete -c morvane -l version -d 'Print the version and exit'
