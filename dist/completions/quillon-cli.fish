# fish completion for quillon-cli: commands, their options, and files of the types each takes.

set -l commands check dump build inspect extract verify diff export help

function __quillon_cli_files --description 'Files with the given extensions, and folders'
    set -l token (commandline -ct)
    for item in (__fish_complete_path $token | string replace -r '\t.*$' '')
        if string match -q -- '*/' $item
            echo $item
        else
            for extension in $argv
                string match -i -q -- "*.$extension" $item; and echo $item
            end
        end
    end
end

complete -c quillon-cli -f
complete -c quillon-cli -n "not __fish_seen_subcommand_from $commands" -l help -d 'List the commands'
complete -c quillon-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version'
complete -c quillon-cli -n "not __fish_seen_subcommand_from $commands" -a check -d 'Report every problem the export would meet'
complete -c quillon-cli -n "not __fish_seen_subcommand_from $commands" -a dump -d 'Write a definition as JSON text'
complete -c quillon-cli -n "not __fish_seen_subcommand_from $commands" -a build -d 'Write a definition file from JSON text'
complete -c quillon-cli -n "not __fish_seen_subcommand_from $commands" -a inspect -d 'List what a package file holds'
complete -c quillon-cli -n "not __fish_seen_subcommand_from $commands" -a extract -d 'Write the embedded files of a package'
complete -c quillon-cli -n "not __fish_seen_subcommand_from $commands" -a verify -d "Check a package file's layout and contents"
complete -c quillon-cli -n "not __fish_seen_subcommand_from $commands" -a diff -d 'Compare two definitions field by field'
complete -c quillon-cli -n "not __fish_seen_subcommand_from $commands" -a export -d 'Export a package, optionally reproducibly'
complete -c quillon-cli -n "not __fish_seen_subcommand_from $commands" -a help -d 'Explain a command'

complete -c quillon-cli -n "__fish_seen_subcommand_from help" -a "check dump build inspect extract verify diff export"
complete -c quillon-cli -n "__fish_seen_subcommand_from check dump build inspect extract verify diff export" -l help -d 'Explain the command'

complete -c quillon-cli -n "__fish_seen_subcommand_from check inspect" -l json -d 'Write JSON'
complete -c quillon-cli -n "__fish_seen_subcommand_from dump" -s o -r -f -a '(__quillon_cli_files json)' -d 'Write to this JSON file'
complete -c quillon-cli -n "__fish_seen_subcommand_from build" -s o -r -f -a '(__quillon_cli_files cpd)' -d 'Write to this definition file'
complete -c quillon-cli -n "__fish_seen_subcommand_from extract" -l force -d 'Replace existing files'
complete -c quillon-cli -n "__fish_seen_subcommand_from verify" -l against -r -f -a '(__quillon_cli_files cpd)' -d 'Compare with the files a definition names'
complete -c quillon-cli -n "__fish_seen_subcommand_from export" -l reproducible -d 'Stamp the package reproducibly'

complete -c quillon-cli -n "__fish_seen_subcommand_from check dump export" -a '(__quillon_cli_files cpd)'
complete -c quillon-cli -n "__fish_seen_subcommand_from build" -a '(__quillon_cli_files json)'
complete -c quillon-cli -n "__fish_seen_subcommand_from inspect extract verify export" -a '(__quillon_cli_files cpk)'
complete -c quillon-cli -n "__fish_seen_subcommand_from diff" -a '(__quillon_cli_files cpd json)'
complete -c quillon-cli -n "__fish_seen_subcommand_from extract" -a '(__fish_complete_directories)'
