#pragma once

namespace trevalune {

/// The language a front end speaks: the window always Chinese; the command line Chinese under
/// a Chinese locale, English otherwise.
enum class Language { English, Chinese };

}  // namespace trevalune
