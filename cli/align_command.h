#pragma once

#include "cli/queue_run.h"

namespace trevalune::send {

/// align: 设置单项 with the value, the answer (from the scanned page or the operator), again,
/// until the marked row is the straight one; then 保存.
int runAlign(const CommandLine& c, RunContext& run, const SpoolerOptions& options, Language l);

}  // namespace trevalune::send
