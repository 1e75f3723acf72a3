// SPDX-License-Identifier: GPL-3.0-or-later
import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertNotEquals;
import static org.junit.Assert.assertTrue;

import java.io.ByteArrayInputStream;
import java.io.InputStream;
import java.lang.reflect.Field;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.HashSet;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;

import javax.microedition.rms.RecordStore;

import org.junit.Test;

import vamo.harness.BookMaker;
import vamo.harness.CliBooks;
import vamo.harness.Novel;

/** The reader's book logic: files, pieces, layout, paging, bookmarks, records. */
public class BookTest {
    /** A book whose files come from a map, measured with a fake font: ASCII 1 unit, others 2. */
    static class TestBook extends Book {
        final Map<String, byte[]> files;
        final List<String> opened = new ArrayList<>();

        TestBook(Map<String, byte[]> files) {
            this.files = files;
            load();
        }

        @Override
        InputStream open(String name) {
            opened.add(name);
            byte[] b = files.get(name);
            return b == null ? null : new ByteArrayInputStream(b);
        }

        @Override
        int cw(char ch) {
            return ch < 128 ? 1 : 2;
        }
    }

    /** The files of a book made by vamobook-cli from chapters of the given names and texts. */
    static Map<String, byte[]> made(List<String> names, List<String> texts, String book, String message,
            String maker) {
        try {
            return CliBooks.payload(CliBooks.one(names, texts, "--book-name", book, "--message", message, "--maker",
                    maker, "--jar-size", "0"));
        } catch (Exception e) {
            throw new AssertionError("vamobook-cli made no book", e);
        }
    }

    static Map<String, byte[]> files(String... texts) {
        List<String> names = new ArrayList<>();
        for (int i = 1; i <= texts.length; i++) {
            names.add("第" + i + "章");
        }
        return made(names, Arrays.asList(texts), "书名", "留言", "作者");
    }

    /**
     * A TXT file's text as the book keeps it: every line (ended by CR or
     * CR LF; a lone LF stays inside its line) followed by CR LF, and one CR LF
     * more after the last.
     */
    static String stored(String txt) {
        StringBuilder s = new StringBuilder();
        for (int i = 0; i < txt.length();) {
            int cr = txt.indexOf('\r', i);
            int end = cr < 0 ? txt.length() : cr;
            s.append(txt, i, end).append("\r\n");
            i = cr < 0 ? end : end + 1 < txt.length() && txt.charAt(end + 1) == '\n' ? end + 2 : end + 1;
        }
        return s.append("\r\n").toString();
    }

    static TestBook book(String... texts) {
        return new TestBook(files(texts));
    }

    /** Chapter c as the reader sees it, character by character. */
    static String read(Book b, int c) {
        b.go(c, 0);
        StringBuilder s = new StringBuilder();
        for (int x = b.p; b.at(x) >= 0; x = b.norm(x + 1)) {
            s.append((char) b.at(x));
        }
        return s.toString();
    }

    static List<String> lines(Book b) {
        b.layout();
        List<String> out = new ArrayList<>();
        for (int i = 0; i < b.nl; i++) {
            StringBuilder s = new StringBuilder();
            for (int x = b.ls[i]; x < b.le[i]; x = b.norm(x + 1)) {
                s.append((char) b.at(x));
            }
            out.add(s.toString());
        }
        return out;
    }

    static String repeat(char c, int n) {
        char[] a = new char[n];
        Arrays.fill(a, c);
        return new String(a);
    }

    // ---- files ---------------------------------------------------------------------

    @Test
    public void decodesUtf8WithAndWithoutByteOrderMark() {
        String s = "a中é\uD83D\uDE00\r\n";
        Map<String, byte[]> f = new LinkedHashMap<>();
        f.put("plain", s.getBytes(StandardCharsets.UTF_8));
        f.put("bom", BookMaker.utf8Bom(s));
        byte[] cut = "ab中".getBytes(StandardCharsets.UTF_8);
        f.put("cut", Arrays.copyOf(cut, cut.length - 1));
        f.put("empty", new byte[0]);
        f.put("bomOnly", BookMaker.utf8Bom(""));
        TestBook b = new TestBook(f);
        assertEquals(s, new String(b.file("plain")));
        assertEquals(s, new String(b.file("bom")));
        assertEquals("a file cut inside a character keeps what came before it", "ab", new String(b.file("cut")));
        assertEquals("", new String(b.file("empty")));
        assertEquals("", new String(b.file("bomOnly")));
        assertEquals(null, b.file("none"));
        byte[] big = new byte[200000];
        Arrays.fill(big, (byte) 'x');
        f.put("big", big);
        assertEquals(65536, b.file("big").length);
    }

    @Test
    public void readsIndexAndBookInformation() {
        Map<String, byte[]> f = made(List.of(" 第1章 开始 ", "Chapter 2010", ""),
                List.of("hello\r\n", Novel.text(1, 3000), ""), "三国", "好书", "某人");
        TestBook b = new TestBook(f);
        assertEquals(3, b.n);
        assertEquals("第1章 开始", b.name(0));
        assertEquals("Chapter 2010", b.name(1));
        assertEquals("", b.name(2));
        assertArrayEquals(new int[] {1, 3, 1}, Arrays.copyOf(b.pieces, 3));
        assertEquals(23, b.size[0]); // 000200060008 CR LF hello CR LF CR LF
        assertEquals(12, b.size[2]); // 00010001 CR LF CR LF
        assertEquals("三国", b.title);
        assertTrue(new String(b.info).startsWith("三国\r\n好书\r\n某人\r\n【使用介绍】\r\n"));
        assertEquals("三国", b.name(Book.INFO));
    }

    /**
     * A chapter of more than 9999 pieces goes on in an index entry of the
     * same name: the reader shows that entry as the chapter continued, with
     * the chapter's number, and its text follows on where the first part
     * ended.
     */
    @Test
    public void aChapterOfMoreThan9999PiecesIsOneChapterContinued() {
        String huge = repeat('L', 9999 * 1400) + "Mend";
        TestBook b = new TestBook(made(List.of("序", "长篇", "尾声"), List.of("开始", huge, "结束"), "长书", "", "某人"));
        assertEquals(4, b.n);
        assertArrayEquals(new int[] {1, 9999, 1, 1}, Arrays.copyOf(b.pieces, 4));
        assertEquals("长篇", b.name(1));
        assertEquals("长篇（续）", b.name(2));
        assertEquals("尾声", b.name(3));
        assertArrayEquals(new int[] {1, 2, 2, 3}, Arrays.copyOf(b.no, 4));
        assertEquals(3, b.lastNo());
        assertEquals(1, b.chapter(2));
        assertEquals(3, b.chapter(3));
        assertEquals(3, b.chapter(9));
        // The first part's last piece, every piece of it read on through the
        // reader's own index, and the second part's text.
        assertEquals(repeat('L', 1400), new String(b.piece(1, 9998)));
        String first = read(b, 1);
        assertEquals(9999 * 1400, first.length());
        assertTrue("nothing but the chapter's text", first.chars().allMatch(c -> c == 'L'));
        assertEquals(stored("Mend"), read(b, 2));
        assertEquals(stored("结束"), read(b, 3));

        // Two chapters of one name are two chapters when the first is not full.
        b = new TestBook(made(List.of("同名", "同名"), List.of("一", "二"), "书", "", "某人"));
        assertEquals("同名", b.name(1));
        assertArrayEquals(new int[] {1, 2}, Arrays.copyOf(b.no, 2));
    }

    @Test
    public void damagedOrMissingIndexGivesUsableChapters() {
        Map<String, byte[]> f = files("一二三\r\n", "四五六\r\n");
        f.put("capter", BookMaker.utf8Bom("\r\n没有页数\r\n不是数字\r\n第2章0002\r\n"));
        TestBook b = new TestBook(f);
        assertEquals(2, b.n);
        assertEquals("没有页数", b.name(0));
        assertEquals(1, b.pieces[0]);
        assertEquals(0, b.size[0]);
        assertEquals(2, b.pieces[1]); // says two pieces, has one
        assertEquals(stored("一二三\r\n"), read(b, 0));
        assertTrue(read(b, 1).startsWith(stored("四五六\r\n") + "\r\n（缺少文件20001）"));

        f.remove("capter");
        f.remove("text");
        b = new TestBook(f);
        assertEquals(0, b.n);
        assertEquals("", b.title);
        b.go(5, 0);
        assertEquals(Book.INFO, b.c);
        assertFalse(b.next());
        assertFalse(b.prev());
    }

    @Test
    public void piecesReadBackAsTheChapterText() {
        // Stored, the third chapter is 1400 characters and the fourth has its CR LF at 1400.
        String crlfAt1400 = repeat('甲', 1399) + "\r\n" + repeat('乙', 500);
        String[] texts = {"", "hello\r\n", repeat('字', 1396), crlfAt1400, repeat('x', 3000),
            Novel.text(7, 5000), "ab\r\nc\r\n"};
        TestBook b = book(texts);
        for (int c = 0; c < texts.length; c++) {
            assertEquals("chapter " + c, stored(texts[c]), read(b, c));
        }
        assertEquals(2, b.pieces[2]); // 1400 characters, then an empty last piece
        assertEquals("0000\r\n", new String(b.file("30001")));
        assertEquals(2, b.pieces[3]);
        String cutAfterCrLf = new String(b.file("40001"));
        assertEquals("a piece never starts with the LF of a CR LF", '乙',
                cutAfterCrLf.charAt(cutAfterCrLf.indexOf("\r\n") + 2));
        assertEquals(3, b.pieces[4]);
        assertEquals("0003000300060008\r\nab\r\nc\r\n\r\n", new String(b.file("70000")));
    }

    @Test
    public void missingTruncatedAndOversizedPiecesStayReadable() {
        Map<String, byte[]> f = files(Novel.text(3, 5000), "短章\r\n", "第三章\r\n");
        f.remove("10001");
        byte[] cut = f.get("10002");
        f.put("10002", Arrays.copyOf(cut, cut.length / 2 + 1));
        f.put("20000", BookMaker.utf8Bom("0000\r\n" + repeat('长', 5000)));
        f.put("30000", BookMaker.utf8Bom("00"));
        TestBook b = new TestBook(f);
        String c0 = read(b, 0);
        assertTrue(c0.contains("（缺少文件10001）"));
        assertEquals(2047, read(b, 1).length());
        assertEquals("", read(b, 2));
        b.w = 20;
        b.rows = 8;
        b.go(0, 0);
        int pages = 0;
        while (b.next() && pages < 1000) {
            pages++;
        }
        assertEquals(2, b.c);
        assertTrue(pages > 10);
        while (b.prev()) {
            pages--;
        }
        assertEquals(0, b.c);
        assertEquals(b.norm(0), b.p);
    }

    // ---- layout and paging ---------------------------------------------------------------

    @Test
    public void linesWrapAtTheWidthAndEndAtEveryLineBreak() {
        TestBook b = book("abc\r\ndefghij\nk\r\n\r\nl中文字\r\n");
        b.w = 4;
        b.rows = 20;
        b.go(0, 0);
        // The stored chapter ends with one empty line more.
        assertEquals(List.of("abc", "defg", "hij", "k", "", "l中", "文字", ""), lines(b));
        assertEquals(b.last(), b.q);
    }

    @Test
    public void closingPunctuationNeverStartsALine() {
        TestBook b = book("中文中文，好。\r\n");
        b.w = 8;
        b.rows = 5;
        b.go(0, 0);
        assertEquals(List.of("中文中", "文，好。", ""), lines(b));
    }

    @Test
    public void noLineStartsWithClosingPunctuationOrEndsWithAnOpeningMark() {
        String closing = "，。、；：？！）》」』】〕〉”’．…,.;:?!)", opening = "（《「『【〔〈“‘(";
        StringBuilder t = new StringBuilder();
        java.util.Random r = new java.util.Random(4);
        // Runs of one or two marks with some words between them, as in real text.
        for (int marks = 0, words = 3; t.length() < 6000;) {
            int k = marks == 1 && r.nextBoolean() ? r.nextInt(3) : marks > 0 || words < 3 ? 3 + r.nextInt(7)
                    : r.nextInt(10);
            t.append(k < 2 ? closing.charAt(r.nextInt(closing.length()))
                    : k < 3 ? opening.charAt(r.nextInt(opening.length())) : k < 4 ? 'a' : '字');
            marks = k < 3 ? marks + 1 : 0;
            words = k < 3 ? 0 : words + 1;
        }
        TestBook b = book(t.toString());
        for (int w = 9; w <= 23; w += 7) {
            b.w = w;
            b.rows = 50;
            b.go(0, 0);
            StringBuilder shown = new StringBuilder();
            do {
                for (String l : lines(b)) {
                    if (l.isEmpty()) {
                        // The stored chapter's line breaks at its end make its only empty lines.
                        assertEquals("w " + w + ": an empty line before the end", t.length(), shown.length());
                        continue;
                    }
                    assertTrue("closing mark starts a line: " + shown.substring(Math.max(0, shown.length() - 12)) + "/" + l, closing.indexOf(l.charAt(0)) < 0);
                    assertTrue("opening mark ends a line: " + l, opening.indexOf(l.charAt(l.length() - 1)) < 0);
                    shown.append(l);
                }
            } while (b.next());
            assertEquals(t.toString(), shown.toString());
        }
        // A line made only of punctuation is broken where it must.
        b = book(repeat('。', 30));
        b.w = 8;
        b.rows = 10;
        b.go(0, 0);
        assertEquals(List.of("。。。。", "。。。。"), lines(b).subList(0, 2));
    }

    /** Page starts from the chapter's start to its end, and back again. */
    static void assertBackRetracesForward(TestBook b, int c) {
        b.go(c, 0);
        List<Integer> forward = new ArrayList<>();
        for (;; b.next()) {
            forward.add(b.p);
            b.layout();
            if (b.blank(b.q)) {
                break;
            }
        }
        List<Integer> backward = new ArrayList<>();
        backward.add(b.p);
        for (int i = 1; i < forward.size(); i++) {
            assertTrue(b.prev());
            assertEquals("chapter " + c + " w " + b.w + ", page " + (forward.size() - 1 - i), c, b.c);
            backward.add(0, b.p);
        }
        assertEquals("w " + b.w + " rows " + b.rows, forward, backward);
        assertEquals(b.norm(0), b.p);
    }

    @Test
    public void pagingBackLandsOnTheForwardPageStartsInLongParagraphs() {
        StringBuilder t = new StringBuilder();
        java.util.Random r = new java.util.Random(9);
        while (t.length() < 8000) { // one paragraph over five pieces
            t.append(r.nextInt(3) == 0 ? (char) ('a' + r.nextInt(26)) : r.nextInt(9) == 0 ? '，' : (char) ('一' + r.nextInt(500)));
        }
        String mixed = Novel.text(3, 1000) + t.substring(0, 4500) + "\r\n" + Novel.text(4, 2000);
        TestBook b = book(t.toString(), mixed, Novel.text(5, 9000));
        for (int w : new int[] {13, 20, 23, 37, 64}) {
            for (int rows : new int[] {1, 7, 11}) {
                b.w = w;
                b.rows = rows;
                for (int c = 0; c < 3; c++) {
                    assertBackRetracesForward(b, c);
                }
            }
        }
    }

    @Test
    public void aChapterOfOnlyBlankLinesIsEmpty() {
        Map<String, byte[]> f = files("第一章\r\n", "\r\n", " \r\n\u3000\u3000\r\n\t\r\n\r\n", "", repeat('\n', 3000),
                "尾\r\n");
        f.put("40000", BookMaker.utf8Bom("0000\r\n")); // no text at all, which the packaging never writes
        TestBook b = new TestBook(f);
        b.w = 20;
        b.rows = 5;
        b.go(0, 0);
        assertFalse(b.blank());
        for (int c = 1; c <= 4; c++) {
            assertTrue(b.next());
            assertEquals(c, b.c);
            assertTrue("chapter " + c, b.blank());
            b.layout();
            assertEquals("nothing to show", 0, b.nl);
        }
        assertTrue("one press leaves an empty chapter", b.next());
        assertEquals(5, b.c);
        assertFalse(b.blank());
        for (int c = 4; c >= 1; c--) {
            assertTrue(b.prev());
            assertEquals(c, b.c);
            b.layout();
            assertEquals(0, b.nl);
        }
        assertEquals("the piece of no text reads as nothing", "", read(b, 3));
    }

    @Test
    public void pagingForwardShowsEveryCharacterOnce() {
        String[] texts = {Novel.text(11, 900), Novel.text(12, 6000), "", Novel.text(13, 300)};
        TestBook b = book(texts);
        b.w = 21;
        b.rows = 7;
        b.go(0, 0);
        StringBuilder shown = new StringBuilder();
        do {
            for (String l : lines(b)) {
                shown.append(l);
            }
        } while (b.next());
        assertEquals(String.join("", texts).replace("\r\n", ""), shown.toString());
        assertEquals(3, b.c);
    }

    @Test
    public void pagingBackWithinAChapterRetracesTheForwardPages() {
        TestBook b = book(Novel.text(12, 6000));
        b.w = 21;
        b.rows = 7;
        assertBackRetracesForward(b, 0);
        assertFalse("nothing before the book's first page", b.prev());
    }

    @Test
    public void pagingBackIntoAChapterMeetsItsForwardPagesAndNoBlankOne() {
        // Blank lines end the first chapter, enough for pages of their own; a
        // run of them in its middle stays, as its author put it.
        String[] texts = {Novel.text(14, 1500) + "\r\n".repeat(30) + Novel.text(16, 1500) + "\r\n\u3000\r\n".repeat(20),
            Novel.text(15, 200)};
        TestBook b = book(texts);
        for (int rows : new int[] {1, 7, 9}) {
            b.w = 21;
            b.rows = rows;
            b.go(0, 0);
            List<Integer> forward = new ArrayList<>();
            do {
                forward.add(b.p);
                assertTrue(b.next());
            } while (b.c == 0);
            List<Integer> backward = new ArrayList<>();
            while (b.prev()) {
                backward.add(0, b.p);
                assertEquals(0, b.c);
            }
            assertEquals("rows " + rows, forward, backward);
            b.go(0, forward.get(forward.size() - 1));
            b.layout();
            assertTrue("the last page ends the chapter's text", b.blank(b.q));
            assertFalse("and shows some", b.blank(b.p));
        }
    }

    @Test
    public void aChapterWithoutLineBreaksPagesBackWithoutGaps() {
        StringBuilder t = new StringBuilder();
        java.util.Random r = new java.util.Random(9);
        while (t.length() < 7000) {
            t.append(r.nextInt(3) == 0 ? (char) ('a' + r.nextInt(26)) : (char) ('一' + r.nextInt(500)));
        }
        TestBook b = book(t.toString());
        b.w = 23;
        b.rows = 9;
        b.go(0, 0);
        List<Integer> starts = new ArrayList<>();
        do {
            starts.add(b.p);
        } while (b.next());
        for (int k = 1; k < starts.size(); k++) {
            b.p = starts.get(k);
            assertTrue(b.prev());
            assertTrue("the page before starts before", b.p < starts.get(k));
            b.layout();
            assertTrue("and reaches the page it came from", b.q >= starts.get(k));
        }
    }

    @Test
    public void onlyTheCurrentPieceAndItsNeighbourAreHeld() throws Exception {
        TestBook b = book(Novel.text(5, 12000));
        b.w = 30;
        b.rows = 12;
        b.go(0, 0);
        Field slots = Book.class.getDeclaredField("slot");
        slots.setAccessible(true);
        int turns = 0;
        do {
            turns++;
            int held = 0;
            for (char[] s : (char[][]) slots.get(b)) {
                held += s == null ? 0 : 1;
            }
            assertTrue(held <= 2);
        } while (b.next());
        // The volume information, which a book of one volume lacks, is looked for once.
        assertTrue(b.opened.remove("volume"));
        Set<String> once = new HashSet<>(b.opened);
        assertEquals("reading forward loads every piece once (each load reads its file twice)",
                2 * once.size(), b.opened.size());
        assertEquals(b.pieces[0] + 2, once.size()); // and capter and text
        while (b.prev()) {
            turns--;
        }
        assertEquals(1, turns);
    }

    @Test
    public void aFontChangeKeepsThePageOnALineStart() {
        TestBook b = book(Novel.text(21, 4000));
        b.w = 20;
        b.rows = 6;
        b.go(0, 0);
        for (int i = 0; i < 9; i++) {
            b.next();
        }
        int before = b.p;
        b.w = 31;
        b.align();
        Set<Integer> starts = new HashSet<>();
        for (int x = b.norm(0); b.at(x) >= 0; x = b.line(x)) {
            starts.add(x);
        }
        assertTrue(starts.contains(b.p));
        assertTrue(b.p <= before);
        b.layout();
        assertTrue(b.q > before);
    }

    @Test
    public void chapterPercentAndJumpFollowTheText() {
        // Stored, the second chapter is 2800 characters: two full pieces and an empty last one.
        String[] texts = {Novel.text(31, 5000), repeat('字', 2796), "短\r\n", "\r\n"};
        TestBook b = book(texts);
        b.w = 20;
        b.rows = 6;
        assertEquals(stored(texts[0]).length(), b.length(0), 3); // cut pieces of 1401 count as 1400
        assertEquals(2800, b.length(1));
        assertEquals(stored(texts[2]).length(), b.length(2));
        assertEquals(0, b.percent(0, b.norm(0)));
        b.go(0, 0);
        assertEquals(100, b.percent(0, b.last()));
        assertEquals(3 * 1400 * 100 / b.length(0), b.percent(0, 3 << 11));
        assertEquals(50, b.percent(1, 1 << 11));
        b.go(0, 0);
        Set<Integer> starts = new HashSet<>();
        for (int x = b.norm(0); b.at(x) >= 0; x = b.line(x)) {
            starts.add(x);
        }
        for (int pct = 0; pct <= 100; pct += 10) {
            b.jump(0, pct);
            assertEquals(0, b.c);
            assertTrue(pct + "% lands on a line start", starts.contains(b.p));
            b.layout();
            int at = (b.p >> 11) * 1400 + (b.p & 2047);
            if (pct < 100) {
                assertTrue(pct + "%: " + at, Math.abs(at - texts[0].length() * pct / 100) < 60);
            } else {
                assertEquals("100 % is the last page paging forward meets", b.lastPage(), b.p);
                assertTrue("and it shows the chapter's end", b.blank(b.q));
            }
        }
        b.jump(3, 50); // a chapter of two empty lines
        assertEquals(3, b.c);
        assertTrue(b.p == b.norm(0) || b.p == b.line(b.norm(0)));
        b.jump(1, 100);
        b.layout();
        assertTrue(b.blank(b.q));
        assertTrue(b.prev());
        assertEquals(1, b.c);
    }

    // ---- bookmarks and records ---------------------------------------------------------

    @Test
    public void bookmarksNewestFirstWithoutDuplicates() {
        TestBook b = book(Novel.text(1, 8000), Novel.text(2, 8000));
        b.w = 20;
        b.rows = 10;
        assertFalse("not on the cover", b.mark());
        b.go(0, 0);
        assertTrue(b.mark());
        assertEquals(read(b, 0).replaceAll("[\\s\u3000]", "").substring(0, 12), b.bt[0]);
        b.go(0, 0);
        b.next();
        b.mark();
        int second = b.p;
        b.go(1, 0);
        b.mark();
        assertEquals(3, b.nb);
        assertEquals(1, b.bc[0]);
        b.go(0, second);
        b.mark();
        assertEquals(3, b.nb);
        assertEquals(second, b.bp[0]);
        assertEquals(1, b.bc[1]);
        b.unmark(1);
        assertEquals(2, b.nb);
        assertEquals(0, b.bc[1]);
        assertEquals(b.norm(0), b.bp[1]);
        b.go(0, 0);
        for (int i = 0; i < 30; i++) {
            b.next();
            b.mark();
        }
        assertEquals(Book.MAXMARKS, b.nb);
        assertEquals(b.p, b.bp[0]);
    }

    @Test
    public void recordKeepsPreferencesPositionAndBookmarks() {
        TestBook b = book(Novel.text(1, 3000), Novel.text(2, 3000));
        b.w = 20;
        b.rows = 10;
        b.go(1, 0);
        b.next();
        b.mark();
        b.next();
        b.font = 2;
        b.skin = 3;
        b.night = 1;
        b.full = 1;
        byte[] r = b.encode();
        TestBook again = new TestBook(b.files);
        again.decode(r);
        assertEquals(2, again.font);
        assertEquals(3, again.skin);
        assertEquals(1, again.night);
        assertEquals(1, again.full);
        assertEquals(1, again.lc);
        assertEquals(b.p, again.lp);
        assertEquals(1, again.nb);
        assertEquals(b.bp[0], again.bp[0]);
        assertEquals(b.bt[0], again.bt[0]);
    }

    @Test
    public void damagedRecordsKeepTheDefaults() {
        TestBook b = book("一\r\n", "二\r\n");
        b.go(1, 0);
        b.mark();
        byte[] good = b.encode();
        for (int len = 0; len < good.length; len++) {
            TestBook t = new TestBook(b.files);
            t.decode(Arrays.copyOf(good, len));
            assertTrue(t.font >= 0 && t.font < 3);
            assertTrue(t.skin >= 0 && t.skin < View.SKINS);
            assertTrue(t.nb <= 1);
        }
        byte[] wrong = good.clone();
        wrong[0] = 9;
        TestBook t = new TestBook(b.files);
        t.decode(wrong);
        assertEquals(-1, t.lc);
        assertEquals(0, t.nb);
        // A record from a book with more chapters: what does not exist here is dropped.
        TestBook one = book("只有一章\r\n");
        one.decode(good);
        assertEquals(-1, one.lc);
        assertEquals(0, one.nb);
        byte[] garbage = new byte[64];
        new java.util.Random(1).nextBytes(garbage);
        garbage[0] = 1;
        one.decode(garbage);
        assertTrue(one.font >= 0 && one.skin >= 0 && one.nb <= Book.MAXMARKS);
    }

    @Test
    public void eachBookKeepsItsOwnRecordStore() {
        RecordStore.harnessReset();
        TestBook first = book("一\r\n", "二\r\n");
        first.store = Book.storeName("三国(01)");
        first.go(1, 0);
        first.mark();
        first.save();
        TestBook second = book("一\r\n", "二\r\n");
        second.store = Book.storeName("三国(02)");
        second.restore();
        assertEquals(0, second.nb);
        assertEquals(-1, second.lc);
        TestBook again = book("一\r\n", "二\r\n");
        again.store = Book.storeName("三国(01)");
        again.restore();
        assertEquals(1, again.nb);
        assertEquals(1, again.lc);
    }

    @Test
    public void storeNamesFitAndKeepVolumesApart() {
        assertEquals("vb三国(01)", Book.storeName(" 三国(01) "));
        String longName = repeat('长', 40);
        String a = Book.storeName(longName + "(01)"), b = Book.storeName(longName + "(02)");
        assertTrue(a.length() <= 32);
        assertNotEquals(a, b);
        assertEquals("vb", Book.storeName(null));
    }

    @Test
    public void indexWithMoreChaptersThanFilesShowsAMessage() {
        Map<String, byte[]> f = files("一\r\n");
        f.put("capter", BookMaker.utf8Bom("\r\n第1章0001\r\n9\r\n第2章0001\r\n9\r\n"));
        TestBook b = new TestBook(f);
        assertEquals(2, b.n);
        assertEquals("\r\n（缺少文件20000）\r\n", read(b, 1));
        LinkedHashMap<String, byte[]> none = new LinkedHashMap<>(f);
        none.remove("10000");
        assertTrue(read(new TestBook(none), 0).startsWith("\r\n（缺少文件10000）"));
    }
}
