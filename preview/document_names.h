#pragma once

#include <string>

namespace trevalune::preview {

/// A folder of recorded documents names them doc-000001.prn, doc-000002.prn, ... in the order
/// they arrived: the virtual printer writes them so, print-preview reads them in that order.
/// "doc-000042.prn" for 42.
std::string documentFileName(long number);
/// The number in a document's file name, or -1 when the name is not one.
long documentNumber(const std::string& fileName);

}  // namespace trevalune::preview
