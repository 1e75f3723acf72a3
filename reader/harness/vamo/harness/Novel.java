// SPDX-License-Identifier: GPL-3.0-or-later
package vamo.harness;

import java.util.Random;

/** Made-up novel text for the reader's tests. */
public final class Novel {
    private Novel() {}

    /**
     * A chapter of a made-up novel: paragraphs opened by two ideographic
     * spaces, sentences of common characters and Chinese punctuation, CR LF
     * after every paragraph. The same seed gives the same text.
     */
    public static String text(long seed, int chars) {
        String common = "的一是了我不人在他有这个上们来到时大地为子中你说生国年着就那和要她出也得里后自以会家可下而过天"
                + "去能对小多然于心学么之都好看起发当没成只如事把还用第样道想作种开美总从无情己面最女但现前些所同日手又"
                + "行意动方期它头经长儿回位分爱老因很给名法间斯知世什两次使身者被高已亲其进此话常与活正感见明问力理尔点"
                + "文几定本公特做外孩相西果走将月十实向声车全信重三机工物气每并别真打太新比才便夫再书部水像眼等体却加电"
                + "主界门利海受听表德少克代员许稍先口由死安写性马光白或住难望教命花结乐色更拉东神记处让母父应直字场平报"
                + "友关放至张认接告入笑内英军候民岁往何度山觉路带万男边风解叫任金快原吃妈变通师立象数四失满战远格士音轻"
                + "目条呢病始达深完今提求清王化空业思切怎非找片罗钱线吗语元喜曾离飞科言干流欢约各即指合反题必该论交终林"
                + "请医晚制球决窗传画保读运及则房早院量苦火布品近坐产答星精视五连司巴奇管类未朋且婚台夜青北队久乎越观落"
                + "尽形影红爸百令周吧识步希亚术留市半热送兴造谈容极随演收首根讲整式取照办强石古华拉拿计您装似足双妻尼转"
                + "诉米称丽客南领节衣站黑刻统断福城故历惊脸选包紧争另建维绝树系伤示愿持千史谁准联妇纪基买志静阿诗独复痛"
                + "消社算义竟确酒需单治卡幸兰念举仅钟怕共毛句息功官待究跟穿室易游程号居考突皮哪费倒价图具刚脑永歌响商礼"
                + "细专黄块脚味灵改据般破引食仍存众注笔甚某沉血备习校默务土微娘须试怀料调广蛙苏显赛查密议底列富梦错座参"
                + "八除跑亮假印设线温虽掉京初养香停际致阳纸李纳验助激够严证帝饭忘趣支春集丈木研班普导顿睡展跳获艺六波察";
        String[] stops = {"，", "，", "，", "。", "。", "！", "？", "；", "：“", "”"};
        Random r = new Random(seed);
        StringBuilder s = new StringBuilder();
        while (s.length() < chars) {
            s.append("\u3000\u3000");
            int sentences = 1 + r.nextInt(6);
            for (int k = 0; k < sentences; k++) {
                int words = 4 + r.nextInt(14);
                for (int w = 0; w < words; w++) {
                    s.append(common.charAt(r.nextInt(common.length())));
                }
                s.append(stops[r.nextInt(stops.length)]);
            }
            s.append("\r\n");
        }
        return s.toString();
    }
}
