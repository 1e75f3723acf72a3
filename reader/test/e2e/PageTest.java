// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertNotNull;
import static org.junit.Assert.assertTrue;

import java.nio.file.Path;
import java.time.LocalTime;
import java.time.format.DateTimeFormatter;
import java.util.ArrayList;
import java.util.List;

import javax.microedition.lcdui.Display;
import javax.microedition.lcdui.Graphics;

import org.junit.Before;
import org.junit.Test;

import vamo.harness.Phone;
import vamo.harness.Screen;

/** Long chapter names, the clock, empty chapters and the jump. */
public class PageTest {
    static final String LONG = "第2章 山雨欲来风满楼，少年夜半出城门寻师";
    private Path jar;
    private List<String> texts;

    @Before
    public void fresh() throws Exception {
        Books.forget();
        List<String> names = Books.names(6);
        names.set(1, LONG);
        texts = Books.texts(6);
        texts.set(2, "\r\n"); // an empty chapter: a TXT file of one empty line
        texts.set(3, "\u3000\u3000\r\n \r\n\r\n\t\r\n");
        jar = Books.make(names, texts);
    }

    static Graphics.Text find(Screen s, String text) {
        for (Graphics.Text t : s.texts) {
            if (t.text().equals(text)) {
                return t;
            }
        }
        return null;
    }

    /**
     * Watches the screen until the text has shown its start and its end in
     * its clip; fails when it stops short.
     */
    static void assertScrollsThrough(Phone phone, String text, String shot) throws Exception {
        Graphics.Text t = find(phone.screen(), text);
        assertNotNull(text + " is drawn", t);
        assertFalse("too long to be seen whole", t.whole());
        assertTrue("it rests at its start first", t.x() >= t.clipX());
        boolean end = false;
        for (long until = System.currentTimeMillis() + 40000; !end && System.currentTimeMillis() < until;) {
            Thread.sleep(30);
            Screen s = phone.screen();
            t = find(s, text);
            end = t.x() + t.width() <= t.clipX() + t.clipWidth();
            if (end && shot != null) {
                s.save(Books.SCREENS.resolve(shot));
            }
        }
        assertTrue("its end comes into view", end);
    }

    @Test
    public void longNamesScrollInTheListAndTheTitleBar() throws Exception {
        for (int[] size : new int[][] {{240, 320}, {128, 160}}) {
            Books.forget();
            String at = size[0] + "x" + size[1];
            try (Phone phone = new Phone(jar, Display.NOKIA, size[0], size[1], true).start()) {
                Screen list = phone.key(Phone.SOFT_LEFT).screen();
                Graphics.Text row = find(list, "2. " + LONG);
                int still = row.x();
                Thread.sleep(1500);
                assertEquals("a row that is not chosen stays", still, find(phone.screen(), "2. " + LONG).x());
                phone.key(Phone.DOWN);
                assertScrollsThrough(phone, "2. " + LONG, "long-name-list-" + at + ".png");
                phone.key(Phone.FIRE);
                assertScrollsThrough(phone, LONG, "long-name-title-" + at + ".png");
                // Paging restarts the name at its start.
                Graphics.Text t = find(phone.key(Phone.DOWN).screen(), LONG);
                assertTrue(t.x() >= t.clipX());
            }
        }
    }

    @Test
    public void theClockStandsBesideThePercentWhereItFits() throws Exception {
        for (int[] size : new int[][] {{240, 320}, {128, 160}, {80, 120}}) {
            Books.forget();
            try (Phone phone = new Phone(jar, Display.NOKIA, size[0], size[1], true).start()) {
                ReaderTest.openChapter(phone, 5);
                if (size[0] == 80) {
                    jump(phone);
                    phone.key('5').key('0').key(Phone.FIRE); // a place of two digits
                }
                List<String> now = new ArrayList<>();
                for (int m = -1; m <= 1; m++) {
                    now.add(LocalTime.now().plusMinutes(m).format(DateTimeFormatter.ofPattern("HH:mm")));
                }
                Screen s = phone.screen().save(Books.SCREENS.resolve("clock-" + size[0] + "x" + size[1] + ".png"));
                String title = s.lines().get(0);
                assertTrue(title, title.contains("%"));
                boolean clock = now.stream().anyMatch(title::contains);
                assertEquals(title, size[0] > 80, clock);
                if (clock) {
                    assertTrue("the clock is right of the percent: " + title,
                            title.matches(".*\\d{1,3}% \\d\\d:\\d\\d"));
                    Graphics.Text t = s.texts.stream().filter(x -> x.text().contains("%")).findFirst().orElseThrow();
                    assertEquals("at the bar's right end", size[0] - 2, t.x() + t.width());
                }
                assertFalse("no clock in full screen", phone.key(Phone.LEFT).screen().text().matches("(?s).*\\d\\d:\\d\\d.*"));
            }
        }
    }

    @Test
    public void chaptersOfOnlyBlankLinesSayTheyAreEmpty() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            ReaderTest.openChapter(phone, 3);
            Screen s = phone.screen().save(Books.SCREENS.resolve("empty-chapter-240x320.png"));
            assertTrue(s.text(), s.shows("（本章没有内容）"));
            Screen next = phone.key(Phone.DOWN).screen();
            assertTrue(next.shows("第4章"));
            assertTrue(next.text(), next.shows("（本章没有内容）"));
            assertTrue("one press leaves it", phone.key(Phone.DOWN).screen().shows("第5章"));
            assertTrue(phone.key(Phone.UP).screen().shows("（本章没有内容）"));
            assertTrue(phone.key(Phone.UP).screen().shows("第3章"));
            assertTrue(phone.key(Phone.UP).screen().shows(LONG));
            assertFalse(phone.screen().shows("本章没有内容"));
        }
        Books.forget();
        try (Phone phone = new Phone(jar, Display.NOKIA, 128, 160, true).start()) {
            ReaderTest.openChapter(phone, 4);
            assertTrue(phone.screen().save(Books.SCREENS.resolve("empty-chapter-128x160.png")).shows("（本章没有内容）"));
        }
    }

    /** Opens the jump from the options menu. */
    static Screen jump(Phone phone) {
        phone.key(Phone.SOFT_LEFT).key(Phone.DOWN).key(Phone.DOWN).key(Phone.DOWN);
        assertTrue(phone.screen().shows("跳转"));
        return phone.key(Phone.FIRE).screen();
    }

    static String page(Screen s) {
        List<String> l = s.lines();
        return String.join("", l.subList(1, l.size() - 1));
    }

    @Test
    public void jumpGoesToAPercentOfTheChapterOrToAChapter() throws Exception {
        String chapter = texts.get(1).replace("\r\n", "");
        try (Phone phone = new Phone(jar).start()) {
            ReaderTest.openChapter(phone, 2);
            String start = page(phone.screen());
            Screen j = jump(phone);
            j.save(Books.SCREENS.resolve("jump-240x320.png"));
            assertTrue(j.text(), j.shows("本章位置 _ %"));
            assertTrue(j.shows("第几章 _ (1-6)"));
            // 2 and 8 are digits here, * takes one back.
            Screen typed = phone.key('2').key('8').key('*').key('5').screen();
            assertTrue(typed.text(), typed.shows("本章位置 25 %"));
            String quarter = page(phone.key(Phone.FIRE).screen());
            int at = chapter.indexOf(quarter.substring(0, 20));
            assertTrue(quarter, at > 0);
            assertTrue(at + " of " + chapter.length(), Math.abs(at - chapter.length() / 4) < chapter.length() / 20);
            // Back from there lands on the line starts forward paging found.
            phone.key(Phone.DOWN);
            assertEquals(quarter, page(phone.key(Phone.UP).screen()));

            jump(phone);
            phone.key('1').key('0').key('0').key(Phone.FIRE);
            String last = page(phone.screen());
            assertTrue("100 % is the chapter's last page", chapter.endsWith(last));
            assertTrue(phone.key(Phone.DOWN).screen().shows("（本章没有内容）"));

            jump(phone);
            phone.key(Phone.DOWN).key('5').key(Phone.FIRE);
            assertTrue(phone.screen().shows("第5章"));
            assertTrue(page(phone.screen()).startsWith(texts.get(4).replace("\r\n", "").substring(0, 20)));

            jump(phone);
            phone.key(Phone.DOWN).key('2').key(Phone.UP).key('0').key(Phone.FIRE);
            assertEquals("chapter 2 at 0 %", start, page(phone.screen()));

            jump(phone);
            phone.key(Phone.DOWN).key('9').key('9');
            assertTrue("beyond the last chapter starts over", phone.screen().shows("第几章 9 (1-6)"));
            phone.key('7').key(Phone.SOFT_RIGHT);
            assertEquals("cancel stays", start, page(phone.screen()));
            assertTrue(phone.screen().shows(LONG));
            jump(phone);
            phone.key(Phone.DOWN).key('9').key(Phone.FIRE);
            assertTrue("a number past the last chapter is the last chapter", phone.screen().shows("第6章"));
        }
        Books.forget();
        try (Phone phone = new Phone(jar, Display.NOKIA, 128, 160, true).start()) {
            ReaderTest.openChapter(phone, 5);
            jump(phone);
            Screen small = phone.key('4').key(Phone.DOWN).screen().save(Books.SCREENS.resolve("jump-128x160.png"));
            assertTrue(small.shows("本章位置 4 %"));
            Graphics.Text hint = find(small, "数字输入 *键删除");
            assertTrue("the hint fits", hint != null && hint.whole());
        }
    }
}
