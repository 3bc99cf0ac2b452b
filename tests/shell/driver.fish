# Uses the shell function as a user's fish would: sources the integration
# file, enters the start folder and calls tavrel TAVREL_TEST_STEPS times
# with the driver's arguments, recording after each call what it printed,
# its status and where the shell is. With TAVREL_TEST_NAMES set it also
# lists the shell's names before the integration file and after the calls.
set -l results $TAVREL_TEST_RESULTS
set -l step 0
set -l code 0

function __tavrel_test_names
    begin
        set --names | string replace -r '^' 'variable '
        functions --all --names | string replace -r '^' 'function '
        abbr --list | string replace -r '^' 'abbreviation '
    end | env LC_ALL=C sort
end

cd $TAVREL_TEST_START; or exit 90
set -q TAVREL_TEST_NAMES; and __tavrel_test_names >$results/names.before
source $TAVREL_TEST_INTEGRATION
while test $step -lt $TAVREL_TEST_STEPS
    set step (math $step + 1)
    tavrel $argv >$results/$step.out 2>$results/$step.err
    set code $status
    printf '%s\n' $code >$results/$step.status
    printf '%s\n' $PWD >$results/$step.pwd
    /bin/pwd -P >$results/$step.physical
end
set -q TAVREL_TEST_NAMES; and __tavrel_test_names >$results/names.after
