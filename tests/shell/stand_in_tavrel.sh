#!/bin/sh
# Test double for the command, for the outcomes that the real one never
# has (a status other than 0, a line naming a folder that is not there):
# writes the file that TAVREL_STAND_IN_OUTPUT names and exits with
# TAVREL_STAND_IN_STATUS.
cat "$TAVREL_STAND_IN_OUTPUT"
exit "$TAVREL_STAND_IN_STATUS"
