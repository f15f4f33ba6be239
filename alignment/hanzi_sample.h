#pragma once

#include <string_view>

namespace trevalune {

/// The Chinese text of the set-all test page (UTF-8): the 94 characters of GB2312 row 16
/// ("啊" to "剥") and the first 31 of row 17 ("薄" to "笨"), 125 characters in all. Every
/// one is a double-byte GBK character, so a run of n characters prints as 2n bytes.
inline constexpr std::string_view kHanziSample =
    "啊阿埃挨哎唉哀皑癌蔼矮艾碍爱隘鞍氨安俺按暗岸胺案肮"
    "昂盎凹敖熬翱袄傲奥懊澳芭捌扒叭吧笆八疤巴拔跋靶把耙"
    "坝霸罢爸白柏百摆佰败拜稗斑班搬扳般颁板版扮拌伴瓣半"
    "办绊邦帮梆榜膀绑棒磅蚌镑傍谤苞胞包褒剥薄雹保堡饱宝"
    "抱报暴豹鲍爆杯碑悲卑北辈背贝钡倍狈备惫焙被奔苯本笨";

}  // namespace trevalune
