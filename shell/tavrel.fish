# Tavrel shell integration for fish (3.5 or later).
#
# Source this file from ~/.config/fish/config.fish:
#   source /usr/share/tavrel/tavrel.fish
# or copy it to ~/.config/fish/functions/tavrel.fish.
#
# A program cannot change the directory of the shell that started it, so
# this defines one function, tavrel, that does it for the command: it runs
# the installed tavrel with the arguments as typed, prints its output
# unchanged and, when the command has moved to a sibling directory, moves
# the shell into the same sibling. The name is read from the command's
# line; the clipboard is left alone. Its status is the command's, or that
# of the change of directory when that fails.

function tavrel --description 'Move to the next sibling directory'
    set -l output (command tavrel $argv | string collect --no-trim-newlines)
    set -l command_status $pipestatus[1]
    printf '%s' $output

    # The whole output is the line: a name may hold line ends of its own.
    # The capture group sets the local variable of the same name.
    set -l name
    string match --quiet --regex -- \
        '(?s)\A(?:Moving to next directory|Looping back to start) \((?<name>.+)\)\r\n\z' \
        "$output"
    or return $command_status

    # The command went up from its physical directory, so the sibling is
    # found from the physical parent: a folder entered through a symbolic
    # link still reaches the sibling it chose. fish's own cd resolves ".."
    # against the logical path, hence the physical path is worked out first;
    # NUL-separated, as the name may end in a line end.
    set -l target (path resolve --null-out -- ../$name | string split0)
    cd $target
    or return
    return $command_status
end
