#include "printer/refusals.h"

#include "common/numbered_text.h"
#include "printer/bytes.h"

#include <stdexcept>

namespace trevalune {

namespace {

struct RefusalTexts {
    RefusalCode code;
    TwoLanguages words;
    Language shown = Language::Chinese;
    bool saysNothingSent = true;  ///< both texts say so
};

constexpr auto kEnglish = Language::English;
constexpr bool kSilentOnSending = false;

// clang-format off
constexpr RefusalTexts kRefusals[] = {
    {RefusalCode::CaptionNotANumber,
     {"\"{2}\" is not a number; nothing was sent.",
      "{1}“{2}”不是数字，没有发送任何内容。"}},
    {RefusalCode::CaptionOutsideByte,
     {"\"{2}\" is outside 0 to 255; nothing was sent.",
      "{1}“{2}”超出 0 到 255 的范围，没有发送任何内容。"}},
    {RefusalCode::ValueOutsideByte,
     {"{2} is outside 0 to 255; nothing was sent.",
      "{1} {2} 超出 0 到 255 的范围，没有发送任何内容。"}},
    {RefusalCode::CentreOutOfRange,
     {"the centre value {1} is out of range; nothing was sent.",
      "样张中心值 {1} 超出范围，没有发送任何内容。"}},
    {RefusalCode::NoHexToSend,
     {"there is no hex data to send; nothing was sent.",
      "没有要发送的16进制数据，未发送。"}},
    {RefusalCode::OddHexDigits,
     {"{1} hex digits without the blanks, not an even number (two digits a byte); nothing was "
      "sent.",
      "去掉空格后共有{1}个16进制数字，不是偶数个（每个字节两个数字），未发送。"}},
    {RefusalCode::CharacterNotHex,
     {"{1} is not allowed in hex text: the command box takes only 0-9, A-F, a-f and blanks.",
      "{1} 不能出现在16进制数据中：指令区只接受 0-9、A-F、a-f 和空格。"},
     kEnglish, kSilentOnSending},
    {RefusalCode::CharactersNotHex,
     {"{1} are not allowed in hex text: the command box takes only 0-9, A-F, a-f and blanks.",
      "{1} 不能出现在16进制数据中：指令区只接受 0-9、A-F、a-f 和空格。"},
     kEnglish, kSilentOnSending},
    {RefusalCode::HexTextEmpty,
     {"The hex text is empty: there is nothing to send.",
      "16进制数据是空的。"}, kEnglish, kSilentOnSending},
    {RefusalCode::HexFieldBlank,
     {"The hex text has a field of blanks only at character {1}: {2}.",
      "16进制数据第 {1} 个字符处只有空格：{2}。"}, kEnglish, kSilentOnSending},
    {RefusalCode::HexFieldNotHex,
     {"The hex text has a field that is not hexadecimal at character {1}: {2}.",
      "16进制数据第 {1} 个字符处不是16进制：{2}。"}, kEnglish,
     kSilentOnSending},
    {RefusalCode::FileMissing, {"the file {1} does not exist; nothing was sent.", "找不到文件 {1}，未发送。"}},
    {RefusalCode::NotARegularFile, {"not a regular file: {1}; nothing was sent.", "不是普通文件：{1}，未发送。"}},
    {RefusalCode::FileUnreadable,
     {"the file {1} cannot be read; nothing was sent.",
      "无法读取文件 {1}，未发送。"}},
    {RefusalCode::FileReadFailed,
     {"reading the file {1} failed; nothing was sent.",
      "读取文件 {1} 时出错，未发送。"}},
    {RefusalCode::FileEmpty, {"the file {1} is empty; nothing was sent.", "文件 {1} 是空的，未发送。"}},
    {RefusalCode::FileTooLarge, {"the file {1} is too large; nothing was sent.", "文件 {1} 太大，未发送。"}},
    {RefusalCode::NoGbkConverter,
     {"This system has no GBK (code page 936) converter.",
      "本系统没有 GBK（代码页 936）转换器。"}, kEnglish, kSilentOnSending},
    {RefusalCode::TextNotConvertibleAt,
     {"The text cannot be converted {2} at byte {1}.",
      "第 {1} 个字节处的文本无法转换（{2}）。"}, kEnglish, kSilentOnSending},
    {RefusalCode::TextNotConvertible, {"The text cannot be converted {1}.", "文本无法转换（{1}）。"},
     kEnglish, kSilentOnSending},
    {RefusalCode::StdinEmpty, {"standard input is empty: nothing to send.", "标准输入是空的，未发送。"}},
    {RefusalCode::StdinTooLarge,
     {"standard input holds more than 2 GiB: not sent.",
      "标准输入超过 2 GiB，未发送。"}},
    {RefusalCode::TextEmpty, {"the text is empty: there is nothing to send.", "文本是空的，未发送。"}},
};
// clang-format on

const RefusalTexts& textsOf(RefusalCode code) {
    for (const RefusalTexts& t : kRefusals) {
        if (t.code == code) return t;
    }
    throw std::logic_error("a refusal missing from the table");
}

}  // namespace

std::string refusalText(RefusalCode code, Language language, const std::vector<std::string>& args) {
    const RefusalTexts& t = textsOf(code);
    return buildSaid(t.words, language, args);
}

Language windowLanguage(RefusalCode code) {
    return textsOf(code).shown;
}

Refusal::Refusal(RefusalCode code, const std::vector<std::string>& args)
    : std::runtime_error(refusalText(code, windowLanguage(code), args)),
      english_(refusalText(code, Language::English, args)),
      chinese_(refusalText(code, Language::Chinese, args)),
      saysNothingSent_(textsOf(code).saysNothingSent) {}

}  // namespace trevalune
