# Sourced by the test scripts. ctest lists a skipped test without its reason; this prints the
# reason each GoogleTest skip gave, from the log of the last ctest run in build folder $1.
skip_reasons() {
    local log=$1/Testing/Temporary/LastTest.log
    [ -f "$log" ] || return 0
    awk '/^\[ RUN      \]/ { test = $4 }
         /: Skipped$/      { getline reason; print "skipped: " test ": " reason }' "$log"
}
