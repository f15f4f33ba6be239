#include "cli/texts.h"

#include <stdexcept>
#include <utility>

#include "alignment/test_print.h"
#include "alignment/value_text.h"
#include "cli/command_line.h"
#include "cli/operation_table.h"
#include "cli/send_command.h"
#include "rowreader/verdict_text.h"

namespace trevalune::send {

namespace {

struct Pair {
    Text text;
    TwoLanguages words;
};

constexpr Pair kTexts[] = {
    {Text::TryHelp,
     {"Try 'trevalune-send --help' for more information.",
      "请运行 'trevalune-send --help' 查看用法。"}},
    {Text::NoOperation, {"no operation given", "没有给出操作"}},
    {Text::NotExpected, {"not expected: {1}", "无法识别：{1}"}},
    {Text::MissingValue, {"{1} needs a value", "{1} 需要一个值"}},
    {Text::GivenTwice, {"{1} is given more than once", "{1} 给出了不止一次"}},
    {Text::TakesNoValue, {"{1} takes no value", "{1} 不带值"}},
    {Text::NotUnderstood, {"the command line cannot be read", "无法理解命令行"}},
    {Text::UnknownOperation, {"unknown operation \"{1}\"", "未知的操作“{1}”"}},
    {Text::WrongArgumentCount,
     {"usage: trevalune-send [OPTIONS] {1} {2}", "用法：trevalune-send [选项] {1} {2}"}},
    {Text::UnknownMode,
     {"unknown mode \"{1}\": high-speed, high-density or super-high-density",
      "未知的模式“{1}”：应为 high-speed、high-density 或 super-high-density"}},
    {Text::NotInRange,
     {"{1} needs a whole number from {3} to {4}, not \"{2}\"",
      "{1} 需要 {3} 到 {4} 之间的整数，而不是“{2}”"}},
    {Text::CupsOnly,
     {"{1} works with CUPS only; Windows prints through its own spooler",
      "{1} 只用于 CUPS；Windows 使用本机的打印后台"}},
    {Text::BadServer,
     {"--server needs HOST, HOST:PORT (port 1 to 65535) or a socket path, not \"{1}\"",
      "--server 需要 主机、主机:端口（端口 1 到 65535）或套接字路径，而不是“{1}”"}},
    {Text::EmptyValue, {"{1} needs a value that is not empty", "{1} 的值不能为空"}},
    {Text::QueueTwice,
     {"the queue \"{2}\" is named twice (\"{1}\" and \"{2}\" are one queue); nothing was sent",
      "队列“{2}”给出了两次（“{1}”和“{2}”是同一个队列）；未发送任何内容"}},
    {Text::ValueAboveBox,
     {"the value \"{1}\" is above {boxMax}, which the window's value box never holds (it makes "
      "{boxCapped} of it); nothing was sent",
      "值“{1}”大于 {boxMax}，窗口的参数框不接受（会改为 {boxCapped}）；未发送任何内容"}},
    {Text::OptionNotHere, {"{1} does not go with {2}", "{1} 不能与 {2} 一起使用"}},
    {Text::HexTextMixed,
     {"--hex and --text do not go with an operation", "--hex 和 --text 不能与操作一起使用"}},
    {Text::Refused, {"refused, nothing was sent: {1}", "已拒绝，未发送任何内容：{1}"}},
    {Text::RefusedSaid, {"refused: {1}", "已拒绝：{1}"}},
    {Text::BadQueueName,
     {"-d \"{1}\": a queue name has no spaces, '/', '#' or control characters; nothing was sent",
      "-d “{1}”：队列名称不能含空格、“/”、“#”或控制字符；未发送任何内容"}},
    {Text::BadPrinterName,
     {"-d \"{1}\": a printer name has no control characters; nothing was sent",
      "-d “{1}”：打印机名称不能含控制字符；未发送任何内容"}},
    {Text::InputInterrupted,
     {"interrupted while the input was read; the part read was not sent",
      "读取输入时被中断；已读取的部分未发送"}},
    {Text::NoPrinter,
     {"no printer chosen: give -d NAME, set LPDEST, or choose a default printer (printers: {1}); "
      "nothing was sent",
      "没有选定打印机：请用 -d 名称、设置 LPDEST 或设定默认打印机（打印机：{1}）；未发送任何内容"}},
    {Text::NoPrinters, {"none", "无"}},
    {Text::NoPrintServer,
     {"no print server answers at {1}; nothing was sent",
      "{1} 没有打印服务器应答；未发送任何内容"}},
    {Text::UnknownPrinterReason, {"no such printer", "没有这台打印机"}},
    {Text::Warning,
     {"warning: {1} is {2}; its documents will wait in the queue",
      "警告：{1} {2}；文档将在队列中等待"}},
    {Text::WarningRefusing,
     {"warning: {1} is {2}; it may refuse the documents", "警告：{1} {2}；可能会拒绝文档"}},
    {Text::NotAccepting, {", not accepting jobs", "，不接受作业"}},
    {Text::AccountTaken, {"{1}: {2} of {3} documents taken", "{1}：{3} 个文档中已接受 {2} 个"}},
    {Text::AccountNotOpened,
     {"; the printer could not be opened for document {1}{3}: {4}",
      "；无法为第 {1} 个文档打开打印机{3}：{4}"}},
    {Text::AccountNotTaken,
     {"; document {1} was not taken{2}{3}: {4}", "；第 {1} 个文档未被接受{2}{3}：{4}"}},
    {Text::AccountUnknown,
     {"; the print server went away before it confirmed document {1}{2}; its queue may hold "
      "it{3}: {4}",
      "；打印服务器在确认第 {1} 个文档{2}之前断开，队列中可能有该文档{3}：{4}"}},
    {Text::AccountJob, {" (job {1})", "（作业 {1}）"}},
    {Text::AccountRestNotSent, {", so nothing more was sent", "，之后的内容未发送"}},
    {Text::AccountRefusedPage, {"; a pin test page was refused: {1}", "；测针页被拒绝：{1}"}},
    {Text::AccountInterrupted,
     {"; interrupted, nothing more was sent", "；已中断，之后的内容未发送"}},
    {Text::AccountFault,
     {"; this program failed here, so nothing more was sent: {1}",
      "；本程序在此出错，之后的内容未发送：{1}"}},
    {Text::OutOfMemory, {"out of memory", "内存不足"}},
    {Text::FaultNothingSent, {"{1}; nothing was sent", "{1}；未发送任何内容"}},
    {Text::OutputLost,
     {"standard output cannot be written; what it should hold is lost",
      "无法写入标准输出，其内容已丢失"}},
    {Text::SecondSignal,
     {"a second signal ended the run at once: the account above is as far as it was known, a "
      "document under way may have been taken",
      "第二个信号立即结束了运行：以上结果截至当时，正在发送的文档可能已被接受"}},
    {Text::JobCount, {"{1} {2}", "{1} 个{2}"}},
    {Text::WaitCompleted, {"; every job completed", "；所有作业已完成"}},
    {Text::WaitLeft,
     {"; every job left the queue; the spooler keeps no record of how a job ended, so that it "
      "printed is not confirmed",
      "；所有作业已离开队列；打印后台不记录作业的结果，未确认已打印"}},
    {Text::WaitNotKnown,
     {"; whether job {1} completed is not known, its state cannot be read: {2}",
      "；作业 {1} 是否完成不明，无法读取其状态：{2}"}},
    {Text::NoReasonGiven, {"no reason given", "没有给出原因"}},
    {Text::WaitJobFailed, {"; job {1} is {2}{3}", "；作业 {1} {2}{3}"}},
    {Text::WaitTimeUp, {"; after {1} s the jobs are not done: {2}", "；{1} 秒后作业仍未完成：{2}"}},
    {Text::WaitInterrupted,
     {"; following the jobs was interrupted: {1}", "；跟踪作业时被中断：{1}"}},
    {Text::WaitPrinterState, {"; the printer is {1}", "；打印机{1}"}},
    {Text::ListState, {"{1}; {2} jobs waiting", "{1}；{2} 个作业等待中"}},
    {Text::ListNoState, {"(the spooler gave no state)", "（打印后台没有给出状态）"}},
    {Text::DryRunTo,
     {"dry run, nothing sent; printer: {1}", "试运行，未发送任何内容；打印机：{1}"}},
    {Text::DryRunNoPrinter, {"(chosen when sending)", "（发送时选定）"}},
    {Text::DryRunDocument, {"document {1}, {2} bytes: {3}", "文档 {1}，{2} 字节：{3}"}},
    {Text::DryRunWait, {"wait {1} ms", "等待 {1} 毫秒"}},
    {Text::AlignNeedsTerminal,
     {"align asks which row is straight and needs a terminal on standard input, or "
      "--scan-command",
      "align 需要在终端上回答哪一行是直的（或给出 --scan-command），标准输入不是终端"}},
    {Text::AlignOnePrinter,
     {"align works on one printer at a time", "align 一次只能用于一台打印机"}},
    {Text::AlignNoDryRun, {"align cannot be a dry run", "align 不能试运行"}},
    {Text::AlignFromRange,
     {"--from {1}: the window prints sample rows only for values from {rowsFrom} to {rowsTo}",
      "--from {1}：窗口只为 {rowsFrom} 到 {rowsTo} 的值打印样张行"}},
    {Text::AlignPrinted,
     {"{1}: {2} set to {3}, sample rows printed (the row marked * is {3}).",
      "{1}：{2} 已设为 {3}，样张行已打印（标 * 的行为 {3}）。"}},
    {Text::AlignAsk, {"Which row is straight? [{1}] ", "哪一行是直的？[{1}] "}},
    {Text::AlignAnswerRange,
     {"\"{1}\" is not a value from {rowsFrom} to {rowsTo}; type the row's value",
      "“{1}”不是 {rowsFrom} 到 {rowsTo} 之间的值；请输入那一行的值"}},
    {Text::AlignSaved, {"{1} is {2}; saved.", "{1} 为 {2}；已保存。"}},
    {Text::AlignStopped,
     {"stopped: {1} is {2} in the printer, not saved", "已中止：打印机中 {1} 为 {2}，未保存"}},
    {Text::AlignStoppedNotKnown,
     {"stopped: {1} in the printer: not known ({2}), not saved",
      "已中止：打印机中的 {1}：不明（{2}），未保存"}},
    {Text::AlignTakenOf, {"{1} of {2} documents taken", "{2} 个文档中已接受 {1} 个"}},
    {Text::AlignNotCompleted, {", their jobs not completed", "，其作业未完成"}},
    {Text::DefaultMark, {"* ", "* "}},
    {Text::NoReader,
     {"this trevalune-send was built without the row reader; it cannot read pictures",
      "此 trevalune-send 构建时没有样张行识别，无法读取图片"}},
    {Text::CannotRead, rowreader::kCannotRead},
    {Text::ScanOutput, {"the scan command's output", "扫描命令的输出"}},
    {Text::CannotWrite, {"cannot write {1}: {2}", "无法写入 {1}：{2}"}},
    {Text::ReadPage, {"page {1} of {2}:", "第 {1} 页（共 {2} 页）："}},
    {Text::ScanNotRun, {"the scan command could not be run: {1}", "无法运行扫描命令：{1}"}},
    {Text::ScanFailed,
     {"the scan command failed with exit status {1}{2}", "扫描命令失败，退出状态 {1}{2}"}},
    {Text::ScanEmpty,
     {"the scan command wrote nothing on its standard output, where the picture must go",
      "扫描命令没有在标准输出上写出任何内容（图片应写到标准输出）"}},
    {Text::ScanTooLarge,
     {"the scan command wrote more than {scanMax} MiB; no page is that large",
      "扫描命令写出了超过 {scanMax} MiB 的内容；没有这么大的页面"}},
    {Text::PageStraight,
     {"page {1}, {2} {3}: rows read {4}; row {5} is straight (confidence {6})",
      "第 {1} 页，{2} {3}：读到的行 {4}；{5} 行是直的（可信度 {6}）"}},
    {Text::PageNearest,
     {"page {1}, {2} {3}: rows read {4}; no row is straight, the offsets put the best value at "
      "{5}: the next page prints around it",
      "第 {1} 页，{2} {3}：读到的行 {4}；没有直的行，按偏移推算最佳值为 "
      "{5}：下一页以它为中心打印"}},
    {Text::PageAgain,
     {"page {1}, {2} {3}: rows read {4}; not confirmed ({5}): the next page prints around {3} "
      "once more",
      "第 {1} 页，{2} {3}：读到的行 {4}；未能确认（{5}）：下一页再以 {3} 为中心打印一次"}},
    {Text::AlignNotConfirmed,
     {"the marked row is not straight with its neighbours on either side, on whole rows in step",
      "标记行与两侧相邻行不能在完整且成一线的行上确认为直"}},
    {Text::PageCannotTell,
     {"page {1}, {2} {3}: rows read {4}; the reader cannot tell: {5}",
      "第 {1} 页，{2} {3}：读到的行 {4}；无法判断：{5}"}},
    {Text::AlignAskDoubt,
     {"The reader cannot tell ({1}). Which row is straight? [{2}] ",
      "无法自动判断（{1}）。哪一行是直的？[{2}] "}},
    {Text::AlignNoTerminal,
     {"the reader cannot tell which row is straight ({1}) and there is no terminal to ask",
      "无法自动判断哪一行是直的（{1}），也没有终端可以询问"}},
    {Text::AlignTooManyPages,
     {"{maxPages} pages printed and the marked row was not straight on any of them",
      "已打印 {maxPages} 页，标 * 的行都不是直的"}},
    // The print server link fills in {1} and {2} itself.
    {Text::CupsNoAnswer, {"no answer within {2} from {1}", "{1} 在 {2}内没有应答"}},
    {Text::CupsSeconds, {"{1} s", "{1} 秒"}},
    {Text::CupsLoginRefused, {"login refused by {1}: {2}", "{1} 拒绝了登录：{2}"}},
    {Text::CupsNoLoginToGive, {"no login to give {1}: {2}", "没有可以交给 {1} 的登录：{2}"}},
    {Text::CupsNoServer, {"no print server answers at {1}", "{1} 没有打印服务器应答"}},
    {Text::CupsClosedBeforeAnswer,
     {"the server closed the connection before it answered ({1})",
      "服务器在应答之前关闭了连接（{1}）"}},
    {Text::CupsClosedMidDocument,
     {"the server closed the connection before the document was complete ({1})",
      "服务器在文档传完之前关闭了连接（{1}）"}},
    {Text::CupsNameNotInRequest,
     {"the printer name cannot be put in a request", "打印机名称无法放进请求"}},
    {Text::CupsNoJobState, {"the print server gave no job state", "打印服务器没有给出作业状态"}},
    {Text::HelpAlign,
     {"guided: writes the value and prints its sample rows as 设置单项 does, asks on the terminal "
      "which row is straight (Enter keeps the one marked *), writes that value and prints again "
      "until the marked row is the straight one; then saves. Needs a terminal. With "
      "--scan-command, once each page has printed, CMD is run and the picture it writes on "
      "standard output is read: the straight row is taken as the answer, with no row straight "
      "the nearest end row, and only where the reader cannot tell is the terminal asked; at most "
      "{maxPages} pages. --annotate DIR draws each page as read into DIR (page-1.png, ...).",
      "引导调整：写入值并打印样张行（同设置单项），在终端上询问哪一行是直的（回车保留标 * 的行），"
      "写入该值再打印，直到标 * 的行是直的；然后保存。需要终端。给出 --scan-command 时，每页打印"
      "完后运行 CMD，读取它写到标准输出的图片：直的行就是答案，没有直的行时取最接近的端行，只有"
      "无法判断时才在终端上询问；最多 {maxPages} 页。--annotate DIR 把每页所读的结果画到 DIR"
      "（page-1.png 等）。"}},
    {Text::HelpReadRows,
     {"reads a scanned page of sample rows (PNG, JPEG or TIFF; - for standard input): per mode "
      "every row with its offset in columns and noise, the straight row and how sure the reader "
      "is, or why it cannot tell. Exit status 0 when every mode read has a straight row, 1 when "
      "one cannot be told, 2 when the file is not a picture. Every page of a multi-page TIFF is "
      "read. --annotate FILE writes the picture as read (PNG): every row found outlined with "
      "its value and offset, the straight row marked, rows left out struck through; FILE-2.png "
      "and so on for further pages",
      "读取扫描的样张行页面（PNG、JPEG 或 TIFF；- 表示标准输入）：每个模式列出每一行的偏移（列）"
      "和误差、直的行及可信度，或无法判断的原因。退出状态：每个模式都找到直的行为 0，有无法判断的"
      "为 1，文件不是图片为 2。多页 TIFF 的每一页都读取。--annotate FILE 把所读的图片写成 PNG："
      "每个找到的行都框出并标明值和偏移，直的行有标记，未采用的行划掉；其后各页为 FILE-2.png 等"}},
    {Text::HelpList,
     {"the printers with their state (idle, printing, stopped or paused, the spooler's reasons, "
      "jobs waiting); the one used without -d is marked *",
      "列出打印机及其状态（空闲、正在打印、已停止、已暂停，原因，等待的作业数），命令行默认使用的"
      "打印机前标 *"}},
    {Text::HelpPrinter,
     {"the print queue; repeat it to run the operation on every queue given, in parallel (a "
      "queue named twice, in any case, is refused). Without it the printer is chosen as lp "
      "chooses: LPDEST, then PRINTER, then the user's default printer (the one the window "
      "writes), then the window's RZ7 preselection",
      "打印机（可重复：每台打印机并行执行操作；同一队列不能给出两次，不分大小写）。未给出时按 lp "
      "的顺序：LPDEST、PRINTER、用户的默认打印机，然后是窗口的 RZ7 预选"}},
    {Text::HelpPrinterWindows,
     {"the printer; repeat it to run the operation on every printer given, in parallel (a "
      "printer named twice is refused). Without it: the user's default printer (the one the "
      "window writes), then the window's RZ7 preselection",
      "打印机（可重复：每台打印机并行执行操作；同一打印机不能给出两次）。"
      "未给出时用用户的默认打印机，然后是窗口的 RZ7 预选"}},
    {Text::HelpServer,
     {"the CUPS print server, as CUPS_SERVER", "CUPS 打印服务器（同 CUPS_SERVER）"}},
    {Text::HelpUser,
     {"the user name for the print server, as CUPS_USER; a server that asks for a login is "
      "answered once per run, at the terminal only: without one (a script, a pipe on standard "
      "input) nobody is asked and the server's refusal is reported",
      "向打印服务器登录的用户名（同 CUPS_USER）；服务器要求登录时，每次运行只在终端上询问一次密码；"
      "没有终端时（脚本、标准输入为管道）不询问，并报告服务器的拒绝"}},
    {Text::HelpTimeout,
     {"the limit on connecting to the print server and on each request, and on a step of several "
      "(list, choosing a printer without -d) as a whole (default {timeout} s); "
      "running out of it before a document went out is reported as not opened, after it was "
      "written whole as unknown",
      "连接打印服务器和每个请求的时限，也是多个请求组成的一步（list、不带 -d 时选择打印机）的总时限"
      "（默认 {timeout} 秒）；文档发出之前超时报告为无法打开，整个"
      "文档写完之后超时报告为结果不明"}},
    {Text::HelpExtraWait,
     {"the extra wait of the set operations (the window's Text1), default {extraWait}",
      "设置操作的附加等待（窗口的 Text1），默认 {extraWait}"}},
    {Text::HelpWait,
     {"after the last document, follows every job until each has completed, or one is "
      "canceled, aborted, stopped or held, or the time is up (default {wait} s); exit status 0 "
      "only when every job completed",
      "发送完后跟踪每个作业，直到全部完成、有作业被取消、中止、停止或保留，或时间到（默认 {wait} "
      "秒）；只有全部完成时退出状态才为 0"}},
    {Text::HelpJson,
     {"reports the whole run as one JSON object on standard output (per queue and per "
      "document: outcome, job id, reason, final state) instead of the job id lines",
      "在标准输出上以一个 JSON 对象报告整个运行"
      "（每个队列、每个文档的结果、作业号、原因和最终状态），代替作业号行"}},
    {Text::HelpDryRun,
     {"prints each document as hex and each wait; sends nothing, needs no print server",
      "以十六进制列出每个文档和每次等待，不发送，不需要服务器"}},
    {Text::HelpQuiet, {"prints no job ids", "不输出作业号"}},
    {Text::HelpPieces,
     {"as the hex and text operations; repeatable, one document each",
      "与 hex、text 操作相同；可重复，每个一个文档"}},
    {Text::HelpHelp, {"shows this help", "显示本帮助"}},
    {Text::HelpVersion, {"shows the version", "显示版本"}},
    {Text::HelpUsage,
     {"Usage: trevalune-send [OPTIONS] OPERATION [ARGUMENTS]\n"
      "Sends what the window's control sends, each piece as one raw document named \"AAAAAA\"\n"
      "through the print spooler: the same bytes, in the same order, with the same waits.\n"
      "Everything is built before the first document leaves: a refused value sends nothing.\n"
      "\nOperations:\n",
      "用法：trevalune-send [选项] 操作 [参数]\n"
      "像窗口一样，把操作的每个文档作为名为 \"AAAAAA\" 的 RAW 文档通过打印后台发送给打印机：\n"
      "同样的字节、同样的顺序、同样的等待。发送前检查全部内容；被拒绝的值不会发送任何内容。\n"
      "\n操作：\n"}},
    {Text::HelpOptionsHeading, {"\nOptions:\n", "\n选项：\n"}},
    {Text::HelpEnding,
     {"Each document taken prints its job id (PRINTER-NUMBER) on standard output.\n"
      "At the end, and on every way out, standard error gets one line per queue: the\n"
      "documents taken out of those planned, the first failure and its reason, and under\n"
      "--wait where the jobs stand. A queue that is stopped, paused or not accepting, or\n"
      "whose printer is offline, in error or out of paper, gets one warning line before\n"
      "the first document; sending goes on.\n"
      "A document is taken; not taken (with the reason; nothing more goes to that\n"
      "printer); its printer could not be opened; or unknown (the print server went away\n"
      "before it confirmed the document: its queue may hold it).\n"
      "Exit status: 0 every document was taken (under --wait: every job completed);\n"
      "1 a printer or spooler failure, a job whose end is not known, or a failure of the\n"
      "program itself (memory, threads, its output cannot be written); 2 a wrong command\n"
      "line or a value the window would refuse, and then nothing was sent; ",
      "每个被接受的文档在标准输出上输出一行作业号（打印机-号码）。\n"
      "运行结束时（也包括中断时）在标准错误上为每个队列输出一行：已接受的文档数、第一个"
      "失败及其原因、--wait 时作业的最终状态。队列已停止、暂停、不接受作业或打印机脱机、"
      "出错、缺纸时，在第一个文档之前给出一行警告，然后照常发送。\n"
      "文档的结果：已接受；未接受（给出原因，之后的内容不再发送）；打印机无法打开；结果"
      "不明（打印服务器在确认之前断开，队列中可能有该文档）。\n"
      "退出状态：0 所有文档都已被接受（--wait 时所有作业都已完成）；1 打印机或打印后台"
      "失败、作业结果不明，或本程序自身出错（内存、线程、无法写出输出）；2 命令行有误或窗口会"
      "拒绝的值，此时没有发送任何内容；"}},
    {Text::HelpExitCups,
     {"130 interrupted by Ctrl-C (SIGINT), 143 by SIGTERM,\n129 by SIGHUP: ",
      "130 被 Ctrl-C（SIGINT）中断，143 被 SIGTERM，129 被 SIGHUP："}},
    {Text::HelpExitWindows,
     {"130 interrupted by Ctrl-C or Ctrl-Break, 129 the\nconsole was closed: ",
      "130 被 Ctrl-C 或 Ctrl-Break 中断，129 控制台被关闭："}},
    {Text::AboutEject, {"the page eject 1D 56 53 (换页)", "换页：1D 56 53"}},
    {Text::AboutLineFeed, {"a line feed 0A (换行)", "换行：0A"}},
    {Text::AboutMicroFeed, {"ESC J 3, a small forward feed (微进纸)", "微进纸：ESC J 3"}},
    {Text::AboutMicroBack, {"ESC j 3, a small backward feed (微退纸)", "微退纸：ESC j 3"}},
    {Text::AboutSelfTest,
     {"the self-test command 1B 3A 00 00 50 (打印自检)", "打印自检：1B 3A 00 00 50"}},
    {Text::AboutSave, {"the save command 1B 3A 00 00 52 (保存)", "保存：1B 3A 00 00 52"}},
    {Text::AboutFactoryReset,
     {"save, wait 2.5 s, the factory configuration block, wait 1 s, save (恢复出厂)",
      "恢复出厂：保存，等 2.5 秒，出厂配置块，等 1 秒，保存"}},
    {Text::AboutAlignmentTest,
     {"the high-speed alignment test page around CENTRE (default {centre}): 60 documents for "
      "{rowsFrom} to {rowsTo}, otherwise the title and the eject only (Korvel)",
      "Korvel：以 CENTRE（默认 {centre}）为中心的高速对齐测试页；{rowsFrom} 到 {rowsTo} 时 60 "
      "个文档"}},
    {Text::AboutSet,
     {"writes VALUE for MODE (high-speed, high-density, super-high-density) and prints its "
      "sample rows, with the waits of 设置单项 (the extra wait included)",
      "设置单项：写入 MODE（high-speed、high-density、super-high-density）的值 VALUE "
      "并打印样张行"}},
    {Text::AboutSetAll,
     {"writes the three values and prints the sample rows of each mode (设置全部); with "
      "--test-page the values, save and the Chinese test page (the second 设置全部)",
      "设置全部：写入三个值并打印各模式的样张行；加 --test-page "
      "为第二个设置全部（写入、保存、汉字测试页）"}},
    {Text::AboutPinTest,
     {"the pin test pages with the current date and time, and the burn-in page (测针)",
      "测针：带当前日期时间的测针页和老化样张"}},
    {Text::AboutPinTestDensities,
     {"one pin test line in each print mode, then ESC J 80 (测针功能)",
      "测针功能：每种打印模式一行测针，然后 ESC J 80"}},
    {Text::AboutFile,
     {"the file's bytes, or standard input's with -, unchanged as one document (Windows)",
      "Windows：文件（- 为标准输入）的字节原样作为一个文档"}},
    {Text::AboutHex,
     {"hex text as typed into the command box (发送指令区), one document; --save brackets it "
      "with save commands as 选择 does",
      "发送指令区：十六进制文本，一个文档；--save 如勾选“选择”，前后加保存命令"}},
    {Text::AboutText,
     {"UTF-8 text, sent as GBK in one document", "UTF-8 文本，以 GBK 作为一个文档发送"}},
    {Text::HelpEndingLast,
     {"no new document is started, the one under way finishes, and the\naccount is printed.\n",
      "不再开始新的文档，正在发送的文档发送完，并输出结果。\n"}},
};

/// The numbers that are rules elsewhere, by the names the texts give them, so that a text
/// moves with its rule.
std::string ruleValue(std::string_view name) {
    const std::pair<std::string_view, std::string> rules[] = {
        {"boxMax", std::to_string(kValueBoxMax)},
        {"boxCapped", std::string(kValueBoxCapped)},
        {"rowsFrom", std::to_string(kSampleRowsFrom)},
        {"rowsTo", std::to_string(kSampleRowsTo)},
        {"timeout", std::to_string(kDefaultTimeoutSeconds)},
        {"extraWait", std::string(kDefaultExtraWait)},
        {"centre", std::string(kDefaultCentre)},
        {"wait", std::to_string(kDefaultWaitSeconds)},
        {"maxPages", std::to_string(kMaxScanPages)},
        {"scanMax", std::to_string(kMaxScanMebibytes)},
    };
    for (const auto& [rule, value] : rules) {
        if (rule == name) return value;
    }
    throw std::logic_error("a text names the unknown rule {" + std::string(name) + "}");
}

/// Display columns of a UTF-8 character starting with `lead`: two for the wide (CJK) range.
std::size_t width(unsigned char lead) {
    return lead >= 0xE0 ? 2 : 1;
}

/// Full-width punctuation that must not begin a line, and brackets that must not end one.
bool isClosing(std::string_view at) {
    for (std::string_view mark : {"，", "。", "、", "；", "：", "）", "”", "’"}) {
        if (at.substr(0, mark.size()) == mark) return true;
    }
    return false;
}
bool isOpening(std::string_view at) {
    for (std::string_view mark : {"（", "“", "‘"}) {
        if (at.substr(0, mark.size()) == mark) return true;
    }
    return false;
}

/// Columns of a UTF-8 text.
std::size_t columnsOf(std::string_view text) {
    std::size_t used = 0;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) used += width(byte);
    }
    return used;
}

/// `text` in lines of at most `columns` columns, each after `indent` blanks but the first. A
/// line breaks at a blank or beside a Chinese character, never inside a word such as an option.
std::string wrapped(std::string_view text, std::size_t columns, std::size_t indent) {
    std::string out;
    std::size_t used = 0;
    bool blank = false;  // a blank waits before the next word
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            blank = true;
            ++i;
            continue;
        }
        // The next unbreakable piece: one Chinese character, or a run of anything else; an
        // opening bracket keeps what follows it, and closing punctuation stays on its line.
        const auto pieceEnd = [text](std::size_t at) {
            do {
                const auto lead = static_cast<unsigned char>(text[at]);
                at += lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
                if (lead >= 0xE0) break;
            } while (at < text.size() && text[at] != ' ' &&
                     static_cast<unsigned char>(text[at]) < 0xE0);
            return at;
        };
        std::size_t end = pieceEnd(i);
        if (isOpening(text.substr(i)) && end < text.size() && text[end] != ' ') end = pieceEnd(end);
        while (end < text.size() && isClosing(text.substr(end))) end += 3;
        const std::string_view piece = text.substr(i, end - i);
        const std::size_t wanted = (blank ? 1 : 0) + columnsOf(piece);
        if (used > 0 && used + wanted > columns) {
            out += "\n" + std::string(indent, ' ');
            used = 0;
        } else if (blank && used > 0) {
            out += ' ';
            ++used;
        }
        out += piece;
        used += columnsOf(piece);
        blank = false;
        i = end;
    }
    return out;
}

}  // namespace

Language languageOf(const Environment& environment) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::optional<std::string> value = environment ? environment(name) : std::nullopt;
        if (value && !value->empty()) {
            return value->rfind("zh", 0) == 0 ? Language::Chinese : Language::English;
        }
    }
    return Language::English;
}

std::string say(Language language, Text text, const std::vector<std::string>& args) {
    std::string_view pattern;
    for (const Pair& p : kTexts) {
        if (p.text == text) pattern = p.words.in(language);
    }
    return filled(pattern, args);
}

std::string filled(std::string_view pattern, const std::vector<std::string>& args) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::size_t close = pattern[i] == '{' ? pattern.find('}', i) : pattern.npos;
        if (close == pattern.npos) {
            out += pattern[i];
            continue;
        }
        const std::string_view name = pattern.substr(i + 1, close - i - 1);
        if (name.size() == 1 && name[0] >= '1' && name[0] <= '9') {
            const auto n = static_cast<std::size_t>(name[0] - '1');
            if (n < args.size()) out += args[n];
        } else {
            out += ruleValue(name);
        }
        i = close;
    }
    return out;
}

namespace {

/// The end of --help: what the program says while it runs, and its exit statuses.
std::string helpEnding(Language language, Platform platform) {
    const std::string end =
        say(language, Text::HelpEnding) +
        say(language, platform == Platform::Cups ? Text::HelpExitCups : Text::HelpExitWindows) +
        say(language, Text::HelpEndingLast);
    if (language == Language::English) return "\n" + end;  // written wrapped
    // A console cuts long lines: the Chinese paragraphs are wrapped as the table is.
    std::string h = "\n";
    for (std::size_t at = 0, next; at < end.size(); at = next + 1) {
        next = end.find('\n', at);
        h += wrapped(std::string_view(end).substr(at, next - at), 78, 0) + "\n";
    }
    return h;
}

}  // namespace

std::string helpText(Language language, Platform platform) {
    const bool cups = platform == Platform::Cups;
    std::string h = say(language, Text::HelpUsage);
    const auto line = [&h](std::string head, std::string_view what) {
        head = "  " + head;
        if (head.size() < 30) {
            head.resize(30, ' ');
        } else {
            head += "\n" + std::string(30, ' ');
        }
        h += head + wrapped(what, 48, 30) + "\n";
    };
    for (const OperationTraits& op : operationTable()) {
        line(std::string(op.name) + (op.synopsis.empty() ? "" : " ") + std::string(op.synopsis),
             say(language, op.about));
    }
    line("align MODE [--from VALUE] [--scan-command CMD [--annotate DIR]]",
         say(language, Text::HelpAlign));
    line("read-rows IMAGE [--mode MODE] [--annotate FILE]", say(language, Text::HelpReadRows));
    line("list", say(language, Text::HelpList));
    h += say(language, Text::HelpOptionsHeading);
    // From the options' own declarations: one line per help text, in the table's order.
    std::string head;
    std::optional<Text> shown;
    for (const OptionSpec& option : optionTable()) {
        if (!option.help || (option.cupsOnly && !cups)) continue;
        const Text help = !cups && option.windowsHelp ? *option.windowsHelp : *option.help;
        if (shown == help) {
            head += ", " + optionHead(option);
            continue;
        }
        if (shown) line(head, say(language, *shown));
        head = optionHead(option);
        shown = help;
    }
    if (shown) line(head, say(language, *shown));
    return h + helpEnding(language, platform);
}

}  // namespace trevalune::send
