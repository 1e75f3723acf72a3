// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertTrue;

import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

import javax.microedition.lcdui.Display;
import javax.microedition.lcdui.Graphics;

import org.junit.Before;
import org.junit.Test;

import vamo.harness.CliBooks;
import vamo.harness.Novel;
import vamo.harness.Phone;
import vamo.harness.Screen;

/** A book cut into volumes, each its own JAR, read as one book. */
public class VolumeTest {
    private List<String> names, texts;
    private List<Path> volumes;

    @Before
    public void fresh() throws Exception {
        Books.forget();
        names = Books.names(6);
        texts = new ArrayList<>();
        for (int i = 1; i <= 6; i++) {
            texts.add(Novel.text(80 + i, 9000));
        }
        // Cut for the smallest phones: about two and a half chapters a volume.
        volumes = CliBooks.make(names, texts, Books.options("--jar-size", "4", "--phone", "0"));
        assertEquals("three volumes: " + volumes, 3, volumes.size());
    }

    static String jar(Path volume) {
        return volume.getFileName().toString();
    }

    @Test
    public void theVolumesArePagedThroughAsOneBook() throws Exception {
        StringBuilder read = new StringBuilder();
        for (int v = 0; v < 3; v++) {
            try (Phone phone = new Phone(volumes.get(v)).start()) {
                Screen cover = phone.screen();
                assertTrue(cover.text(), cover.shows("第" + (v + 1) + "册/共3册"));
                ReaderTest.openChapter(phone, 1);
                ChapterSeamTest.Walk w = ChapterSeamTest.walk(phone, "volume " + (v + 1));
                read.append(String.join("", w.pages()));
                if (v < 2) {
                    assertTrue(w.end().text(), w.end().shows("请打开下一册：" + jar(volumes.get(v + 1))));
                } else {
                    assertFalse("the last volume names none", w.end().shows("请打开下一册"));
                }
            }
        }
        assertEquals("the whole book, once", String.join("", texts).replaceAll("[\\s\u3000]", ""),
                read.toString().replaceAll("[\\s\u3000]", ""));
    }

    @Test
    public void aVolumeShowsItsPlaceInTheBook() throws Exception {
        for (int[] size : ChapterSeamTest.SIZES) {
            String at = size[0] + "x" + size[1];
            Books.forget();
            try (Phone phone = new Phone(volumes.get(1), Display.NOKIA, size[0], size[1], true).start()) {
                Screen cover = phone.screen().save(Books.SCREENS.resolve("volume-cover-" + at + ".png"));
                assertTrue(cover.shows("第2册/共3册"));
                Screen list = phone.key(Phone.SOFT_LEFT).screen().save(Books.SCREENS.resolve("volume-chapters-" + at + ".png"));
                // The volume begins inside the book's third chapter, numbered as in the book.
                assertTrue(list.text(), list.shows("3. 第3章 初入江湖（续）"));
                assertTrue(list.shows("4. 第4章 山雨欲来"));
                Screen page = phone.key(Phone.FIRE).screen().save(Books.SCREENS.resolve("volume-continued-" + at + ".png"));
                assertTrue(page.lines().get(0).startsWith("第3章 初入江湖（续）"));
                // The jump takes the book's chapter numbers.
                Screen jump = PageTest.jump(phone);
                assertTrue(jump.text(), jump.shows("第几章 _ (3-"));
                phone.key(Phone.DOWN).key('4').key(Phone.FIRE);
                assertTrue(phone.screen().lines().get(0).startsWith("第4章 山雨欲来"));
                phone.key('3').key('3');
                while (!phone.screen().shows("已到本卷末尾")) {
                    phone.key(Phone.DOWN);
                }
                Screen end = phone.screen().save(Books.SCREENS.resolve("volume-end-" + at + ".png"));
                // The message's lines, wherever the page's lines behind it
                // fall between them.
                String expected = "请打开下一册：" + jar(volumes.get(2));
                StringBuilder message = new StringBuilder();
                for (Graphics.Text t : end.texts) {
                    String joined = message + t.text();
                    if ((message.length() > 0 || t.text().startsWith("请打开下一册")) && expected.startsWith(joined)) {
                        message.append(t.text());
                    }
                }
                assertEquals(end.text(), expected, message.toString());
                for (Graphics.Text t : end.texts) {
                    if (t.text().contains("请打开下一册")) {
                        assertTrue("the message fits: " + t.text(), t.whole() && t.x() >= 0 && t.x() + t.width() <= size[0]);
                    }
                }
            }
        }
    }
}
