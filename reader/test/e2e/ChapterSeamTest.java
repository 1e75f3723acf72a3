// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertTrue;

import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;

import javax.microedition.lcdui.Display;

import org.junit.Before;
import org.junit.Test;

import vamo.harness.Novel;
import vamo.harness.Phone;
import vamo.harness.Screen;

/** Where one chapter ends and the next begins: no blank pages, the same pages both ways. */
public class ChapterSeamTest {
    static final int[][] SIZES = {{240, 320}, {128, 160}};

    @Before
    public void fresh() {
        Books.forget();
    }

    /** Whether a text holds anything to see. */
    static boolean visible(String s) {
        return !s.replaceAll("[\\s\u3000]", "").isEmpty();
    }

    /** The pages of a volume paged through, and the screen at its end. */
    record Walk(List<String> pages, Screen end) {}

    /**
     * Pages the volume in full screen from chapter 1 to its end, then back to
     * its start; every page shows text, the last one too, and paging back
     * shows the pages paging forward showed.
     */
    static Walk walk(Path jar, int w, int h) throws Exception {
        Books.forget();
        try (Phone phone = new Phone(jar, Display.NOKIA, w, h, true).start()) {
            ReaderTest.openChapter(phone, 1);
            return walk(phone, w + "x" + h);
        }
    }

    /** The same on a phone showing the volume's first page. */
    static Walk walk(Phone phone, String at) {
        phone.key(Phone.LEFT);
        List<String> forward = new ArrayList<>();
        Screen end = null;
        for (int i = 0; i < 2000 && end == null; i++) {
            Screen s = phone.screen();
            String page = ReaderTest.body(s);
            if (s.shows("已到本卷末尾")) {
                end = s;
                assertTrue("the volume ends on a page with text at " + at, visible(page.replace("已到本卷末尾", "")));
            } else {
                assertTrue("page " + forward.size() + " at " + at + " shows text", visible(page));
                forward.add(page);
                phone.key(Phone.DOWN);
            }
        }
        List<String> back = new ArrayList<>();
        back.add(forward.get(forward.size() - 1));
        for (int i = 0; i < 2000; i++) {
            Screen s = phone.key(Phone.UP).screen();
            if (s.shows("已是开头")) {
                break;
            }
            back.add(ReaderTest.body(s));
        }
        Collections.reverse(back);
        for (int i = 0; i < Math.min(forward.size(), back.size()); i++) {
            assertEquals("paging back at " + at + ", page " + i + " of " + forward.size(), forward.get(i), back.get(i));
        }
        assertEquals("as many pages back as forward", forward.size(), back.size());
        phone.key(Phone.LEFT);
        return new Walk(forward, end);
    }

    @Test
    public void blankLinesAtAChaptersEndGetNoPageOfTheirOwn() throws Exception {
        List<String> texts = new ArrayList<>();
        texts.add(Novel.text(71, 900) + "\r\n".repeat(30));
        texts.add(Novel.text(72, 3200) + "\u3000\u3000\r\n\r\n \r\n".repeat(12));
        texts.add("\r\n\r\n" + Novel.text(73, 700) + "\r\n".repeat(3));
        texts.add(Novel.text(74, 800) + "\r\n\u3000\r\n".repeat(20));
        Path jar = Books.make(Books.names(4), texts);
        String all = String.join("", texts).replaceAll("[\\s\u3000]", "");
        for (int[] size : SIZES) {
            String read = String.join("", walk(jar, size[0], size[1]).pages()).replaceAll("[\\s\u3000]", "");
            assertEquals("every character is read once", all, read);
        }
    }

    @Test
    public void pagingBackIntoAChapterMeetsTheForwardPages() throws Exception {
        Path jar = Books.standard(Books.NOKIA);
        for (int[] size : SIZES) {
            walk(jar, size[0], size[1]);
        }
    }
}
