// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A reproducible Chinese novel for benchmarks: chapter headings "第N章 …",
// paragraphs of common characters and full-width punctuation, every line
// ended by CR LF. The same seed and size always give the same text.
//
//   QString text = vamo::bench::generateNovel({.targetBytes = 10 * 1024 * 1024});
//
// Every character is either ASCII (one byte in code page 936 and UTF-8) or a
// GB2312 character (two bytes in code page 936, three in UTF-8), so the size
// of the text in either encoding is known while it is generated.

#include <QString>

#include <cstdint>
#include <iterator>

namespace vamo::bench {

struct NovelOptions {
    qint64 targetBytes = 10 * 1024 * 1024; // size of the encoded text, reached or just passed
    int wideCharBytes = 2;                 // bytes per Chinese character: 2 code page 936, 3 UTF-8
    qint64 chapterBytes = 80 * 1024;       // about this much text per chapter
    std::uint32_t seed = 20240601;
};

namespace novel_detail {

// xorshift32: tiny, deterministic on every platform.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_state(seed ? seed : 0x9E3779B9u) {}
    std::uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint32_t m_state;
};

// Common characters of narrative prose, all in GB2312.
inline constexpr char16_t commonChars[] =
    u"的一是了我不人在他有这个上们来到时大地为子中你说生国年着就那和要她出也得里后自以会家可下而过天去能对小多然"
    u"于心学么之都好看起发当没成只如事把还用第样道想作种开美总从无情己面最女但现前些所同日手又行意动方期它头经长儿回"
    u"位分爱老因很给名法间斯知世什两次使身者被高已亲其进此话常与活正感见明问力理尔点文几定本公特做外孩相西果走将月十"
    u"实向声车全信重三机工物气每并别真打太新比才便夫再书部水像眼等体却加电主界门利海受听表德少克代员许先口由死安写性"
    u"马光白或住难望教命花结乐色更拉东神记处让母父应直字场平报友关放至张认接告入笑内英军候民岁往何度山觉路带万男边风"
    u"解叫任金快原吃妈变通师立象数四失满战远格士音轻目条呢病始达深完今提求清王化空业思切怎非找片罗钱紫吗语元喜曾离飞"
    u"科言干流欢约各即指合反题必该论交终林请医晚制球决传画保读运及则房早院量苦火布品近坐产答星精视五连司巴奇管类未朋"
    u"且婚台夜青北队久乎越观落尽形影红爸百令周吧识步希亚术留市半热送兴造谈容极随演收首根讲整式取照办强石古华拿计您装"
    u"似足双妻尼转诉米称丽客南领节衣站黑刻统断福城故历惊脸选包紧争另建维绝树系伤示愿持千史谁准联妇纪基买志静阿诗独复"
    u"痛消社算义竟确酒需单治卡幸兰念举仅钟怕共毛句息功官待究跟穿室易游程号居考突皮哪费倒价图具刚脑永歌响商礼细专黄块"
    u"脚味灵改据般破引食仍存众注笔甚某沉血备习校默务土微娘须试怀料调广苏显赛查密议底列富梦错座参八除跑亮假印设线温虽"
    u"掉京初养香停际致阳纸李纳验助激够严证帝饭忘趣支春集丈木研班普导顿睡展跳获艺六波察群皇段急庭创区奥器谢弟店否害草"
    u"排背止组州朝封睛板角况曲馆育忙质河续哥呼若推境遇雨标姐充围案伦护冷警贝著雪索剧啊船险烟依斗值帮汉慢佛肯闻唱沙局"
    u"伯族低玩资屋击速顾泪洲团圣旁堂兵七露园牛哭旅街劳型烈姑陈莫鱼异抱宝权鲁简态级票怪寻杀律胜份汽右洋范床舞秘午登楼"
    u"贵吸责例追较职属渐左录丝牙党继托赶章智冲叶胡吉卖坚喝肉遗救修松临藏担戏善卫药悲敢靠伊村戴词森耳差短祖云规窗散迷"
    u"油旧适乡架恩投弹铁博雷府压超负勒杂醒洗采毫嘴毕九冰既状乱景席珍童顶派素脱农疑练野按犯拍征坏骨余承置脏彩灯巨琴免"
    u"环姆暗换技翻束增忍餐洛塞缺忆判欧层付阵玛批岛项狗休懂武革良恶恋委拥娜妙探呀营退摇弄桌熟诺宣银势奖宫忽套康供优课";

inline constexpr char16_t titleChars[] = u"风云山河剑影江湖明月孤城长夜归人故园秋水春雷天涯旧梦烽火残阳";

inline constexpr char16_t sentenceEnds[] = u"。。。！？";

} // namespace novel_detail

inline QString generateNovel(const NovelOptions& options)
{
    using namespace novel_detail;
    Random random(options.seed);
    constexpr int commonCount = static_cast<int>(std::size(commonChars)) - 1;
    constexpr int titleCount = static_cast<int>(std::size(titleChars)) - 1;
    constexpr int endCount = static_cast<int>(std::size(sentenceEnds)) - 1;
    const int wide = options.wideCharBytes;

    QString text;
    // Most characters are wide; a little room for headings' digits.
    text.reserve(options.targetBytes / wide + 1024);
    qint64 bytes = 0;
    auto put = [&](char16_t c) {
        text.append(QChar(c));
        bytes += c < 0x80 ? 1 : wide;
    };
    auto lineEnd = [&] {
        put(u'\r');
        put(u'\n');
    };

    for (int chapter = 1; bytes < options.targetBytes; ++chapter) {
        // Heading: 第N章 and a title of two to six characters.
        put(u'第');
        for (QChar digit : QString::number(chapter))
            put(digit.unicode());
        put(u'章');
        put(u' ');
        for (int i = 2 + random.below(5); i > 0; --i)
            put(titleChars[random.below(titleCount)]);
        lineEnd();
        lineEnd();

        const qint64 chapterEnd = bytes + options.chapterBytes * (75 + random.below(51)) / 100;
        while (bytes < chapterEnd && bytes < options.targetBytes) {
            // Paragraph: two full-width spaces, then sentences.
            put(u'\u3000');
            put(u'\u3000');
            const bool speech = random.below(4) == 0;
            if (speech) {
                put(u'“');
            }
            for (int sentence = 1 + random.below(5); sentence > 0; --sentence) {
                for (int clause = 1 + random.below(3); clause > 0; --clause) {
                    for (int i = 4 + random.below(12); i > 0; --i) {
                        // Skewed toward the most common characters.
                        const int a = random.below(commonCount);
                        const int b = random.below(commonCount);
                        put(commonChars[a < b ? a : b]);
                    }
                    if (clause > 1)
                        put(u'，');
                }
                put(sentenceEnds[random.below(endCount)]);
            }
            if (speech)
                put(u'”');
            lineEnd();
        }
        lineEnd();
    }
    return text;
}

} // namespace vamo::bench
