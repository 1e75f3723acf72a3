// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertTrue;

import java.nio.file.Path;
import java.util.Arrays;
import java.util.List;
import java.util.Map;

import org.junit.Before;
import org.junit.Test;

import vamo.harness.BookMaker;
import vamo.harness.CliBooks;
import vamo.harness.Phone;
import vamo.harness.Screen;

/** Damaged books show a message or an empty page, and every key still works. */
public class BadContentTest {
    @Before
    public void fresh() {
        Books.forget();
    }

    /** A book made by the command line, its third chapter from an empty file. */
    static Path book() throws Exception {
        List<String> texts = Books.texts(4);
        texts.set(2, "");
        return Books.make(Books.names(4), texts);
    }

    /** The entries of book(), to damage. */
    static Map<String, byte[]> files() throws Exception {
        return CliBooks.entries(book());
    }

    /** Reads every page forward and back and visits every screen; fails on any exception. */
    static void readAll(Phone phone) {
        phone.key(Phone.SOFT_LEFT);
        if (!phone.screen().shows("章节列表")) {
            phone.key('5');
        }
        phone.key(Phone.FIRE);
        for (int i = 0; i < 200 && !phone.screen().shows("已到本卷末尾"); i++) {
            phone.key(Phone.DOWN);
        }
        for (int i = 0; i < 200 && !phone.screen().shows("已是开头"); i++) {
            phone.key(Phone.UP);
        }
        for (char k : "#9*05*7".toCharArray()) {
            phone.key(k).screen();
            phone.key(Phone.SOFT_RIGHT).screen();
        }
        phone.key(Phone.SOFT_LEFT).key(Phone.SOFT_LEFT).screen();
    }

    @Test
    public void missingAndTruncatedPieces() throws Exception {
        Map<String, byte[]> f = files();
        f.remove("20001");
        byte[] piece = f.get("20002");
        f.put("20002", Arrays.copyOf(piece, piece.length / 3));
        f.put("40000", new byte[] {(byte) 0xEF, (byte) 0xBB});
        Path jar = Books.damaged("bad-pieces.jar", f);
        try (Phone phone = new Phone(jar).start()) {
            ReaderTest.openChapter(phone, 2);
            boolean message = false;
            for (int i = 0; i < 30 && !message; i++) {
                message = phone.key(Phone.DOWN).screen().shows("缺少文件20001");
            }
            phone.screen().save(Books.SCREENS.resolve("missing-piece.png"));
            assertTrue("the missing piece is reported where it belongs", message);
            readAll(phone);
        }
    }

    @Test
    public void emptyChapterShowsAnEmptyPage() throws Exception {
        // The empty TXT file as made, and its piece with no text at all, as the packaging never writes it.
        Map<String, byte[]> f = files();
        f.put("30000", BookMaker.utf8Bom("0000\r\n"));
        for (Path jar : List.of(book(), Books.damaged("empty-piece.jar", f))) {
            Books.forget();
            try (Phone phone = new Phone(jar).start()) {
                ReaderTest.openChapter(phone, 3);
                Screen s = phone.screen().save(Books.SCREENS.resolve("empty-chapter.png"));
                assertTrue(jar.toString(), s.shows("本章没有内容"));
                assertTrue(phone.key(Phone.DOWN).screen().shows("第4章"));
                assertTrue(phone.key(Phone.UP).screen().shows("第3章"));
                readAll(phone);
            }
        }
    }

    @Test
    public void indexDisagreeingWithTheFiles() throws Exception {
        Map<String, byte[]> f = files();
        // Two chapters too many, wrong piece counts, a line that is no number.
        f.put("capter", BookMaker.utf8Bom("\r\n第1章0009\r\n12\r\n第2章\r\n多少\r\n第3章0001\r\n6\r\n第4章0001\r\n9\r\n"
                + "第5章0002\r\n100\r\n第6章0001\r\n"));
        try (Phone phone = new Phone(Books.damaged("bad-index.jar", f)).start()) {
            ReaderTest.openChapter(phone, 6);
            assertTrue(phone.screen().shows("缺少文件60000"));
            phone.key(Phone.SOFT_RIGHT);
            readAll(phone);
        }
    }

    @Test
    public void noIndexNoInformation() throws Exception {
        Map<String, byte[]> f = files();
        f.remove("capter");
        f.remove("text");
        try (Phone phone = new Phone(Books.damaged("no-index.jar", f)).start()) {
            assertTrue("the MIDlet name stands in for the book name", phone.screen().shows(Books.NAME));
            assertTrue(phone.key(Phone.SOFT_LEFT).screen().shows("没有章节"));
            phone.key(Phone.FIRE).key(Phone.DOWN).key('#').key('9').key(Phone.FIRE).screen();
            phone.key(Phone.SOFT_RIGHT).key(Phone.SOFT_RIGHT).screen();
        }
    }

    @Test
    public void garbageFiles() throws Exception {
        Map<String, byte[]> f = files();
        byte[] junk = new byte[3000];
        new java.util.Random(7).nextBytes(junk);
        f.put("capter", junk);
        f.put("text", junk);
        f.put("10000", junk);
        try (Phone phone = new Phone(Books.damaged("garbage.jar", f)).start()) {
            phone.screen();
            readAll(phone);
        }
    }
}
