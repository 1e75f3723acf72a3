// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertTrue;

import java.io.InputStream;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.zip.ZipFile;

import javax.microedition.lcdui.Display;

import org.junit.Before;
import org.junit.BeforeClass;
import org.junit.Test;

import vamo.harness.CliBooks;
import vamo.harness.Novel;
import vamo.harness.Phone;
import vamo.harness.Screen;

/**
 * A real book: vamobook-cli makes it from TXT files of a Chinese novel, cut
 * into volumes of the smallest size class, and the reader opens every volume.
 */
public class CliBook {
    static final String BOOK = "山居杂记";
    static Path dir;
    static List<Path> txt = new ArrayList<>();
    static String all;

    @BeforeClass
    public static void novel() throws Exception {
        dir = Books.WORK.resolve("cli");
        CliBooks.clear(dir);
        Files.createDirectories(dir);
        StringBuilder s = new StringBuilder();
        for (int i = 1; i <= 5; i++) {
            String chapter = Novel.text(300 + i, 12000);
            s.append(chapter);
            Path f = dir.resolve("第" + i + "章.txt");
            Files.write(f, chapter.getBytes(Charset.forName("GBK"))); // TXT files are in code page 936
            txt.add(f);
        }
        all = s.toString().replace("\r\n", "");
    }

    @Before
    public void fresh() {
        Books.forget();
    }

    static List<Path> make(int phone) throws Exception {
        return CliBooks.run(dir.resolve("out" + phone),
                List.of("--book-name", BOOK, "--jar-size", "4", "--phone", String.valueOf(phone)), txt);
    }

    @Test
    public void everyVolumeOpensAndReadsOnToTheNext() throws Exception {
        List<Path> jars = make(0);
        assertTrue("the book is cut into volumes: " + jars, jars.size() >= 2);
        StringBuilder read = new StringBuilder();
        for (int v = 0; v < jars.size(); v++) {
            try (Phone phone = new Phone(jars.get(v)).start()) {
                Screen cover = phone.screen();
                assertTrue(cover.text(), cover.shows(BOOK));
                Screen list = phone.key(Phone.SOFT_LEFT).screen();
                assertTrue(list.shows("章节列表"));
                if (v == 0) {
                    cover.save(Books.SCREENS.resolve("cli-cover.png"));
                    list.save(Books.SCREENS.resolve("cli-chapters.png"));
                }
                phone.key(Phone.FIRE).key(Phone.LEFT);
                String last = null;
                for (int page = 0; page < 2000; page++) {
                    Screen s = phone.screen();
                    if (s.shows("已到本卷末尾")) {
                        break;
                    }
                    if (v == 0 && page == 3) {
                        phone.key(Phone.LEFT).screen().save(Books.SCREENS.resolve("cli-page.png"));
                        phone.key(Phone.LEFT);
                    }
                    String body = String.join("", s.lines());
                    assertTrue("stuck on a page", !body.equals(last));
                    read.append(last = body);
                    phone.key(Phone.DOWN);
                }
            }
        }
        assertEquals("the volumes together hold the whole novel", all, read.toString());
    }

    /** The text of a page, without the title and soft key bars. */
    static String page(Screen s) {
        List<String> l = s.lines();
        return String.join("", l.subList(1, l.size() - 1));
    }

    static String title(Screen s) {
        return s.lines().get(0);
    }

    /**
     * The project's sample novel, its chapters as they are and one more of
     * all of them run together into a paragraph over five pieces, as a TXT
     * file that lost its line breaks: paged to the chapter's last page and
     * back, every page back is the page seen forward, at two screen sizes.
     */
    @Test
    public void pagingBackRetracesTheForwardPagesAcrossPieces() throws Exception {
        List<Path> files = new ArrayList<>();
        StringBuilder run = new StringBuilder();
        try (var samples = Files.list(Path.of(System.getProperty("vamo.samples")))) {
            for (Path f : samples.filter(f -> f.toString().endsWith(".txt")).sorted().toList()) {
                files.add(f);
                run.append(Files.readString(f, StandardCharsets.UTF_8).replace("\r\n", "").replace("\u3000", ""));
            }
        }
        assertTrue("the samples are there", files.size() >= 3);
        String oneParagraph = run.toString().repeat(1 + 7500 / run.length());
        Path joined = dir.resolve("合订.txt");
        Files.write(joined, oneParagraph.getBytes(Charset.forName("GBK")));
        files.add(joined);
        files.add(txt.get(0));
        Path jar = CliBooks.run(dir.resolve("samples"), List.of("--book-name", "山居", "--jar-size", "0"), files).get(0);
        try (ZipFile z = new ZipFile(jar.toFile())) {
            assertTrue("the long chapter has six pieces", z.getEntry("40005") != null);
        }
        for (int[] size : new int[][] {{240, 320}, {128, 160}}) {
            for (int chapter : new int[] {4, 5, 1}) {
                Books.forget();
                try (Phone phone = new Phone(jar, Display.NOKIA, size[0], size[1], true).start()) {
                    phone.key(Phone.SOFT_LEFT);
                    for (int i = 1; i < chapter; i++) {
                        phone.key(Phone.DOWN);
                    }
                    Screen first = phone.key(Phone.FIRE).screen();
                    String f = files.get(chapter - 1).getFileName().toString(), name = f.substring(0, f.length() - 4);
                    assertTrue(title(first), title(first).startsWith(name));
                    List<String> forward = new ArrayList<>();
                    boolean end = false;
                    for (Screen s = first; title(s).startsWith(name) && !end; s = phone.key(Phone.DOWN).screen()) {
                        assertTrue(forward.size() < 500);
                        end = s.shows("已到本卷末尾");
                        if (!end) {
                            forward.add(page(s));
                        }
                    }
                    String text = chapter == 4 ? oneParagraph
                            : Files.readString(files.get(chapter - 1), chapter == 5 ? Charset.forName("GBK")
                                    : StandardCharsets.UTF_8).replace("\r\n", "");
                    assertEquals("forward: every character once", text, String.join("", forward));
                    assertTrue(forward.size() > (chapter == 4 ? 20 : 1));
                    // The chapter again from its start: down to its last page and up again.
                    phone.key('5');
                    if (!end) {
                        phone.key(Phone.UP);
                    }
                    assertEquals(forward.get(0), page(phone.key(Phone.FIRE).screen()));
                    for (int i = 1; i < forward.size(); i++) {
                        assertEquals("page " + i + " of chapter " + chapter, forward.get(i),
                                page(phone.key(Phone.DOWN).screen()));
                    }
                    for (int i = forward.size() - 2; i >= 0; i--) {
                        assertEquals("back to page " + i + " of chapter " + chapter + " at " + size[0],
                                forward.get(i), page(phone.key(Phone.UP).screen()));
                    }
                    assertTrue(page(phone.screen()).startsWith(text.substring(0, 20)));
                }
            }
        }
    }

    @Test
    public void bookmarkSurvivesARestart() throws Exception {
        Path jar = make(0).get(1);
        String marked;
        try (Phone phone = new Phone(jar).start()) {
            phone.key(Phone.SOFT_LEFT).key(Phone.FIRE);
            for (int i = 0; i < 5; i++) {
                phone.key(Phone.DOWN);
            }
            marked = ReaderTest.body(phone.key('#').screen()).replace("已设书签", "");
            phone.key(Phone.DOWN).key(Phone.DOWN);
        }
        try (Phone phone = new Phone(jar).start()) {
            phone.key(Phone.SOFT_LEFT).key('9');
            assertTrue(phone.screen().shows("(*键删除)"));
            assertEquals(marked, ReaderTest.body(phone.key(Phone.FIRE).screen()));
        }
    }

    @Test
    public void motorolaBooksCarryTheMotorolaReader() throws Exception {
        Path jar = make(1).get(0);
        try (ZipFile book = new ZipFile(jar.toFile()); ZipFile moto = new ZipFile(Books.MOTO.toFile())) {
            assertEquals("META-INF/MANIFEST.MF", book.entries().nextElement().getName());
            for (String cls : List.of("demo.class", "View.class", "Book.class")) {
                try (InputStream a = book.getInputStream(book.getEntry(cls));
                        InputStream b = moto.getInputStream(moto.getEntry(cls))) {
                    assertArrayEquals(cls, b.readAllBytes(), a.readAllBytes());
                }
            }
        }
        try (Phone phone = new Phone(jar, Display.MOTO, 176, 220, true).start()) {
            phone.press(-21);
            assertTrue(phone.screen().shows("章节列表"));
            phone.press(-20);
            assertTrue(phone.press(-21).screen().shows("使用帮助"));
        }
    }
}
