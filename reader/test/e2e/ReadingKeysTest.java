// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertNotEquals;
import static org.junit.Assert.assertTrue;

import java.nio.file.Path;
import java.util.List;

import javax.microedition.lcdui.Display;

import org.junit.Before;
import org.junit.Test;

import vamo.harness.Phone;
import vamo.harness.Screen;

/** Where am I, the chapter keys, auto-page and line spacing. */
public class ReadingKeysTest {
    @Before
    public void fresh() {
        Books.forget();
    }

    /** The place in the chapter the title bar shows, in percent. */
    static int place(Screen s) {
        String title = s.lines().get(0);
        return Integer.parseInt(title.replaceAll(".*?(\\d+)% .*", "$1"));
    }

    @Test
    public void theTitleBarAndTheBookmarkListGiveTheSamePlaceInTheChapter() throws Exception {
        try (Phone phone = new Phone(Books.standard(Books.NOKIA)).start()) {
            ReaderTest.openChapter(phone, 2);
            assertEquals(0, place(phone.screen()));
            int last = 0;
            for (int i = 0; i < 6; i++) {
                int now = place(phone.key(Phone.DOWN).screen());
                assertTrue(last + " < " + now, now > last);
                last = now;
            }
            phone.key('#');
            Screen marks = phone.key('9').screen();
            assertTrue(marks.text(), marks.shows(last + "% 第2章 山雨欲来"));
            phone.key(Phone.SOFT_RIGHT);
            assertEquals("a new chapter starts at 0", 0, place(phone.key('3').screen()));
        }
    }

    @Test
    public void oneAndThreeGoToThePreviousAndNextChapterOnBothTemplates() throws Exception {
        for (Path template : List.of(Books.NOKIA, Books.MOTO)) {
            Books.forget();
            int keypad = template == Books.MOTO ? Display.MOTO : Display.NOKIA;
            try (Phone phone = new Phone(Books.standard(template), keypad, 176, 220, true).start()) {
                ReaderTest.openChapter(phone, 1);
                String first = ReaderTest.body(phone.screen());
                assertTrue(phone.key('1').screen().shows("已是开头"));
                Screen second = phone.key('3').screen();
                assertTrue(second.shows("第2章 山雨欲来"));
                String start = ReaderTest.body(second);
                phone.key(Phone.DOWN).key(Phone.DOWN);
                assertEquals("a chapter's first page", start, ReaderTest.body(phone.key('3').key('1').screen()));
                assertEquals(first, ReaderTest.body(phone.key('1').screen()));
                phone.key('3').key('3').key('3').key('3');
                assertTrue(phone.screen().shows("第5章"));
                assertTrue(phone.key('3').screen().shows("已到本卷末尾"));
                assertTrue("still the last chapter", phone.screen().shows("第5章"));
            }
        }
    }

    @Test
    public void theHelpListsTheChapterKeysAutoPageLineSpacingAndTheJump() throws Exception {
        try (Phone phone = new Phone(Books.standard(Books.NOKIA)).start()) {
            ReaderTest.openChapter(phone, 2);
            phone.key(Phone.SOFT_LEFT).key(Phone.UP).key(Phone.UP).key(Phone.FIRE);
            StringBuilder help = new StringBuilder();
            for (int i = 0; i < 4; i++) {
                help.append(String.join("\n", phone.screen().lines()));
                phone.key(Phone.DOWN);
            }
            for (String line : List.of("-“7”键-更改字体", "-“1”,“3”键-上一章/下一章", "-“4”键-自动翻页", "-“6”键-更改行距",
                    "跳转", "【手机电子书制作工具】")) {
                assertTrue(line + " in " + help, help.toString().contains(line));
            }
            assertTrue("the book's own lines first", help.indexOf("-“7”键") < help.indexOf("-“1”,“3”键"));
        }
    }

    /** Waits up to ms for the page to differ from page; the page then. */
    static String turned(Phone phone, String page, long ms) throws InterruptedException {
        long until = System.currentTimeMillis() + ms;
        String now = ReaderTest.body(phone.screen());
        while (now.equals(page) && System.currentTimeMillis() < until) {
            Thread.sleep(50);
            now = ReaderTest.body(phone.screen());
        }
        return now;
    }

    @Test
    public void fourTurnsThePagesByItselfUntilAnotherKey() throws Exception {
        for (int[] size : ChapterSeamTest.SIZES) {
            Books.forget();
            String at = size[0] + "x" + size[1];
            try (Phone phone = new Phone(Books.standard(Books.NOKIA), Display.NOKIA, size[0], size[1], true).start()) {
                ReaderTest.openChapter(phone, 2);
                Screen on = phone.key('4').screen().save(Books.SCREENS.resolve("auto-page-" + at + ".png"));
                assertTrue(on.text(), on.shows("自动翻页：5秒"));
                // Up makes it faster, down slower, one second a press.
                phone.key(Phone.UP).key(Phone.UP).key(Phone.UP).key(Phone.DOWN);
                Screen pace = phone.key(Phone.UP).key(Phone.UP).screen();
                assertTrue(pace.text(), pace.shows("自动翻页：1秒"));
                Thread.sleep(1700);
                String page = ReaderTest.body(phone.screen());
                assertFalse("the message goes by itself", page.contains("自动翻页"));
                String next = turned(phone, page, 3000);
                assertNotEquals("a page turned by itself", page, next);
                assertNotEquals("and another", next, turned(phone, next, 3000));
                Screen stopped = phone.key('0').screen();
                assertTrue(stopped.shows("自动翻页已停止"));
                int bg = stopped.pixel(size[0] - 1, size[1] / 2);
                assertTrue("the key only stops it: still day", (bg >> 16 & 255) + (bg >> 8 & 255) + (bg & 255) > 300);
                Thread.sleep(1600);
                String still = ReaderTest.body(phone.screen());
                Thread.sleep(1500);
                assertEquals("no more turns", still, ReaderTest.body(phone.screen()));
                // Put away by the phone, it stops too.
                phone.key('4');
                phone.pause();
                String paused = ReaderTest.body(phone.screen()).replace("自动翻页：1秒", "");
                Thread.sleep(1500);
                assertEquals(paused, ReaderTest.body(phone.screen()).replace("自动翻页：1秒", ""));
            }
        }
    }

    @Test
    public void sixChangesTheLineSpacingAndItIsKept() throws Exception {
        Path jar = Books.standard(Books.NOKIA);
        int narrow, wide;
        try (Phone phone = new Phone(jar).start()) {
            ReaderTest.openChapter(phone, 2);
            phone.key(Phone.LEFT);
            narrow = phone.screen().lines().size();
            Screen middle = phone.key('6').screen().save(Books.SCREENS.resolve("line-spacing-240x320.png"));
            assertTrue(middle.shows("行距：中"));
            int mid = ReaderTest.clear(phone).lines().size();
            phone.key('6');
            wide = ReaderTest.clear(phone).lines().size();
            assertTrue(narrow + " > " + mid + " > " + wide, narrow > mid && mid > wide);
        }
        try (Phone phone = new Phone(jar).start()) {
            assertEquals("kept", wide, phone.key(Phone.SOFT_LEFT).screen().lines().size());
            assertEquals("and round again", narrow, ReaderTest.clear(phone.key('6')).lines().size());
        }
    }
}
