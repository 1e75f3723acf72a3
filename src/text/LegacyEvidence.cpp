// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/LegacyEvidence.h"

#include <QString>

#include <bitset>
#include <memory>

namespace vamo::text_detail {

namespace {

// About 650 of the most frequent characters of modern written Chinese, then
// their traditional forms (as OpenCC's s2t, s2tw and s2hk give them). Text
// read in its own encoding has around half of its Chinese characters among
// them; text read in the wrong one, a few in a hundred.
constexpr char16_t kCommon[] = u"的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之过"
                               u"家学对可她里后小么心多天而能好都然"
                               u"没日于起还发成事只作当想看文无开手十用主行方又如前所本见经头面公同三已老从动两长知民样"
                               u"现分将外但身些与高意进把法此实回二"
                               u"理美点月明其种声全工己话儿者向情部正名定女问力机给等几很业最间新什打便位因重被走电四第"
                               u"门相次东政海口使教西再平真听世气信"
                               u"北少关并内加化由却代军产入先山五太水万市眼体别处总才场师书比住员九笑性通目华报立马命张"
                               u"活难神数件安表原车白应路期叫死常提"
                               u"感金何更反合放做系计或司利受光王果亲界及今京务制解各任至清物台象记边共风战干接它许八特"
                               u"觉望直服毛林题建南度统色字请交爱让"
                               u"认算论百吃义科怎元社术结六功指思非流每青管夫连远资队跟带花快条院变联言权往展该领传近留"
                               u"红治决周保达办运武半候七必城父强步"
                               u"完革深区即求品士转量空甚众技轻程告江语英基派满式李息写呢识极令黄德收脸钱党倒未持取设始"
                               u"版双历越史商千片容研像找友孩站广改"
                               u"议形委早房音火际则首单据导影失拿网香似斯专石若兵弟谁校读志飞观争究包组造落视济喜离虽坐"
                               u"集编宝谈府拉黑且随格尽剑讲布杀微怕"
                               u"母调局根曾准团段终乐切级克精哪官示冷域假拍星照送态底引演注止采愿族击须急竟夜哥姐妹爷奶"
                               u"叔婆娘妈爸孙俺咱您啊吧吗呀哈嘿哦嗯"
                               u"罢休伤病医药饭酒茶衣鞋帽床桌椅窗墙楼桥河湖云雨雪冰春秋冬夏晚午夕左右旁脚耳鼻嘴肝肺血骨"
                               u"肉皮掌臂腿膝腰背胸肩颈额眉泪汗哭喊"
                               u"唱跳跑爬躺睡醒梦念忘懂楚糊涂聪愚蠢漂亮丑陋温柔凶恶善良邪悲痛苦幸福静热闹寂寞孤独朋敌仇"
                               u"恨婚姻妻丈兄姑丫玉這來國個說們爲時"
                               u"會過學對裏後麼沒於還發當無開見經頭從動兩長樣現將與進實點種聲話兒問機給幾業間電門東聽氣"
                               u"關並內卻軍產萬體別處總場師書員華報"
                               u"馬張難數車應計親務臺記邊風戰幹許覺題統請愛讓認論喫義術結連遠資隊帶條變聯權該領傳紅決達"
                               u"辦運強區轉衆輕語滿寫識極黃臉錢黨設"
                               u"雙歷廣議際則單據導網專誰讀飛觀爭組視濟離雖編寶談隨盡劍講殺調準團終樂級態採願擊須爺媽孫"
                               u"嗎罷傷醫藥飯牀牆樓橋雲腳頸額淚夢塗"
                               u"聰醜溫兇惡靜熱鬧獨敵為著裡眾説";

const std::bitset<0x10000>& commonCharacters()
{
    static const std::unique_ptr<const std::bitset<0x10000>> set = [] {
        auto bits = std::make_unique<std::bitset<0x10000>>();
        for (char16_t c : kCommon) {
            if (c != 0)
                bits->set(c);
        }
        return bits;
    }();
    return *set;
}

bool isOdd(char16_t c) { return c == 0xFFFD || (c >= 0xE000 && c <= 0xF8FF) || c == 0x1A || (c >= 0x80 && c < 0xA0); }

} // namespace

void ChineseScore::add(const char16_t* text, qsizetype n)
{
    const std::bitset<0x10000>& common = commonCharacters();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if (c < 0x80)
            continue;
        ++characters;
        if (common.test(c))
            ++this->common;
        else if (isOdd(c))
            ++odd;
    }
}

bool ChineseScore::clearlyBetterThan(const ChineseScore& other) const
{
    if (common < kLeastCommon || common < 2 * other.common + kLeastCommon)
        return false;
    // A short text may not hold a single odd character; a long one one in a hundred.
    return characters < 200 ? odd == 0 : odd * 100 <= characters;
}

LegacyEvidence::LegacyEvidence()
    : m_big5(openConverter("Big5-HKSCS")), m_plainBig5(openConverter("windows-950")),
      m_buffer(std::make_unique_for_overwrite<char16_t[]>(kBufferUnits))
{
}

void LegacyEvidence::feed(QByteArrayView piece, bool last)
{
    const auto* p = reinterpret_cast<const quint8*>(piece.data());
    for (qsizetype i = 0; i < piece.size(); ++i) {
        if (m_pendingLead) {
            ++m_pairs;
            m_lowTrails += p[i] >= 0x40 && p[i] <= 0x7E;
            m_pendingLead = false;
        } else {
            m_pendingLead = p[i] >= 0x81 && p[i] != 0xFF;
        }
    }
    for (qsizetype at = 0; at < piece.size(); at += kBufferUnits - 4) {
        const QByteArrayView part = piece.sliced(at, std::min<qsizetype>(kBufferUnits - 4, piece.size() - at));
        const bool end = last && at + part.size() == piece.size();
        m_cp936.add(m_buffer.get(), m_cp936Decoder.decode(part, m_buffer.get(), end));
        m_big5Score.add(m_buffer.get(), decodeIcu(m_big5.get(), part, end));
        m_plainScore.add(m_buffer.get(), decodeIcu(m_plainBig5.get(), part, end));
    }
    m_bytes += piece.size();
}

qsizetype LegacyEvidence::decodeIcu(UConverter* converter, QByteArrayView bytes, bool last)
{
    if (!converter)
        return 0;
    UChar* target = m_buffer.get();
    const char* source = bytes.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, m_buffer.get() + kBufferUnits, &source, bytes.data() + bytes.size(), nullptr,
                   last, &status);
    return target - m_buffer.get();
}

LegacyEvidence::Verdict LegacyEvidence::verdict() const
{
    // Text of GB2312's characters alone (trail bytes from 0xA1) is never Big5.
    const bool big5Shape = m_lowTrails * 10 >= m_pairs && m_lowTrails > 0;
    if (big5Shape && m_big5Score.clearlyBetterThan(m_cp936))
        return m_plainScore.odd > m_big5Score.odd ? Verdict::Big5Hkscs : Verdict::Big5;
    // Close: Big5 ahead but not by enough, or too little Chinese to tell.
    if (m_big5Score.common > m_cp936.common || m_cp936.common < ChineseScore::kLeastCommon * 4)
        return Verdict::Close;
    return Verdict::Cp936;
}

} // namespace vamo::text_detail
