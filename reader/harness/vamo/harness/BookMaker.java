// SPDX-License-Identifier: GPL-3.0-or-later
package vamo.harness;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Enumeration;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.Random;
import java.util.zip.ZipEntry;
import java.util.zip.ZipFile;
import java.util.zip.ZipOutputStream;

/**
 * Makes book JARs for the reader's tests the way the packaging code does:
 * chapters cut into pieces of 1400 characters (1401 when character 1401 is a
 * line feed), cut pieces followed by CR LF, each piece behind its line-break
 * header, the chapter index and the book information file, all UTF-8 with
 * byte-order mark; the template's manifest replaced by the book's own.
 */
public final class BookMaker {
    public static final String[] HELP = {
        "【使用介绍】", "-左软键(功能键)-打开选项", "-右软键(返回键)-返回/取消", "-上,下键或(2,8)-翻页",
        "-长按上,下键或(2,8)-快速翻页", "-左或右键-开/关全屏", "-“*”键-更改皮肤", "-“0”键-白天/黑夜模式",
        "-“#”键-设书签", "-“9”键-读取书签", "-“5”键-章节列表", "-“7”键-更改字体", "【手机电子书制作工具】",
        "一款专门制作手机电子书的软件，它使用方便、简单，制作出的电子书，可任意设定章节，有了这款软件，"
            + "就可以将网上无穷的资源安装到手机上观看，给您的生活增添无穷的乐趣。",
        "本电子书由Vamo手机电子书制作工具制作完成，官方地址http://www.vamobook.cn/",
    };

    private BookMaker() {}

    public static byte[] utf8Bom(String s) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        out.write(0xEF);
        out.write(0xBB);
        out.write(0xBF);
        out.writeBytes(s.getBytes(StandardCharsets.UTF_8));
        return out.toByteArray();
    }

    /** A piece file's text: CR count and CR positions, CR LF, the piece. */
    public static String pieceFile(String piece) {
        StringBuilder h = new StringBuilder();
        int n = 0;
        for (int i = 0; i < piece.length(); i++) {
            if (piece.charAt(i) == '\r') {
                n++;
                h.append(String.format("%04d", i + 1));
            }
        }
        return String.format("%04d", n) + h + "\r\n" + piece;
    }

    /** The pieces of a chapter text, as written (cut ones with their CR LF). */
    public static List<String> pieces(String t) {
        List<String> out = new ArrayList<>();
        while (t.length() >= 1400) {
            int len = t.length() > 1400 && t.charAt(1400) == '\n' ? 1401 : 1400;
            out.add(t.substring(0, len) + "\r\n");
            t = t.substring(len);
        }
        out.add(t);
        return out;
    }

    /** The archive files of one volume holding all the chapters. */
    public static Map<String, byte[]> payload(List<String> names, List<String> texts, String book,
            String message, String maker) {
        Map<String, byte[]> files = new LinkedHashMap<>();
        StringBuilder index = new StringBuilder("\r\n");
        for (int k = 0; k < names.size(); k++) {
            List<String> ps = pieces(texts.get(k));
            int chars = 0;
            for (int j = 0; j < ps.size(); j++) {
                String f = pieceFile(ps.get(j));
                chars += f.length();
                files.put(String.valueOf(10000 * (k + 1) + j), utf8Bom(f));
            }
            index.append(names.get(k).trim()).append(String.format("%04d", ps.size())).append("\r\n")
                    .append(chars).append("\r\n");
        }
        files.put("capter", utf8Bom(index.toString()));
        files.put("text", utf8Bom(info(book, message, maker)));
        return files;
    }

    public static String info(String book, String message, String maker) {
        StringBuilder s = new StringBuilder("\r\n");
        for (String l : new String[] {book.trim(), message.trim(), maker.trim()}) {
            s.append(l).append("\r\n");
        }
        for (String l : HELP) {
            s.append(l).append("\r\n");
        }
        return s.toString();
    }

    public static String manifest(String midletName) {
        return "Manifest-Version: 1.0\r\n" + "MicroEdition-Configuration: CLDC-1.0\r\n"
                + "MIDlet-Name: " + midletName + "\r\n" + "Created-By: 1.5.0-beta (Sun Microsystems Inc.)\r\n"
                + "MIDlet-Vendor: www.vamobook.cn\r\n" + "MIDlet-1: " + midletName + ",/icon.png,demo\r\n"
                + "MIDlet-Version: 1.0.0\r\n" + "MicroEdition-Profile: MIDP-1.0\r\n";
    }

    /** Copies the template to jar with the book's manifest and files added. */
    public static Path jar(Path template, Path jar, String midletName, Map<String, byte[]> files)
            throws IOException {
        Files.createDirectories(jar.toAbsolutePath().getParent());
        try (ZipFile t = new ZipFile(template.toFile());
                ZipOutputStream out = new ZipOutputStream(Files.newOutputStream(jar))) {
            out.putNextEntry(new ZipEntry("META-INF/MANIFEST.MF"));
            out.write(manifest(midletName).getBytes(StandardCharsets.UTF_8));
            Enumeration<? extends ZipEntry> en = t.entries();
            while (en.hasMoreElements()) {
                ZipEntry e = en.nextElement();
                if (e.getName().equals("META-INF/MANIFEST.MF") || files.containsKey(e.getName())) {
                    continue;
                }
                out.putNextEntry(new ZipEntry(e.getName()));
                try (InputStream in = t.getInputStream(e)) {
                    in.transferTo(out);
                }
            }
            for (Map.Entry<String, byte[]> f : files.entrySet()) {
                out.putNextEntry(new ZipEntry(f.getKey()));
                out.write(f.getValue());
            }
        }
        return jar;
    }

    /**
     * A chapter of a made-up novel: paragraphs opened by two ideographic
     * spaces, sentences of common characters and Chinese punctuation, CR LF
     * after every paragraph. The same seed gives the same text.
     */
    public static String novel(long seed, int chars) {
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
