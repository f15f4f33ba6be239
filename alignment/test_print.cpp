#include "alignment/test_print.h"

#include "alignment/print_mode.h"
#include "alignment/sample_row.h"
#include "alignment/set_value_command.h"
#include "alignment/value_check.h"
#include "alignment/value_text.h"
#include "printer/gbk.h"

namespace trevalune {

AlignValue centreValueOf(std::string_view combo2Text) {
    return alignValueOf("高速的测试中心值", combo2Text);
}

Timeline buildAlignmentTest(const AlignValue& centreValue) {
    const int centreByte = centreValue.byte;
    const double centre = centreValue.number;

    Timeline t;
    t.text(buildSetValueBytes(PrintMode::HighSpeed, centreByte, Trailer::Long));
    t.text(toGbk(std::string(30, ' ') + "Trevalune-----高速Korvel\n"));
    if (printsSampleRows(centre)) {
        for (int v : candidatesAround(centre, kTestSampleHalfWidth))
            t.append(buildTestSample(v, centre));
        t.append(buildSetValueCommand(centreByte, PrintMode::HighSpeed));
    }
    t.hex(kPageEjectHex);
    return t;
}

}  // namespace trevalune
