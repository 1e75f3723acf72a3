// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertNotEquals;
import static org.junit.Assert.assertTrue;

import java.nio.file.Path;
import java.util.HashSet;
import java.util.List;
import java.util.Set;

import javax.microedition.lcdui.Display;

import org.junit.Before;
import org.junit.Test;

import vamo.harness.Phone;
import vamo.harness.Screen;

/** The reader in a book JAR, started on the desktop phone and driven by its keys. */
public class ReaderTest {
    private Path jar;

    @Before
    public void fresh() throws Exception {
        Books.forget();
        jar = Books.standard(Books.NOKIA);
    }

    /** What a screen shows, less the title bar's clock, which moves on by itself. */
    static String body(Screen s) {
        return String.join("", s.lines()).replaceAll("[0-2][0-9]:[0-5][0-9]", "");
    }

    /** Opens chapter n (1-based) from the cover through the chapter list. */
    static void openChapter(Phone phone, int n) {
        phone.key(Phone.SOFT_LEFT);
        for (int i = 1; i < n; i++) {
            phone.key(Phone.DOWN);
        }
        phone.key(Phone.FIRE);
    }

    @Test
    public void startsWithTheBookThenTheChapterList() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            Screen cover = phone.screen().save(Books.SCREENS.resolve("cover.png"));
            assertTrue(cover.text(), cover.shows(Books.NAME));
            assertTrue(cover.shows(Books.MESSAGE));
            assertTrue(cover.shows(Books.MAKER));
            phone.key(Phone.SOFT_LEFT);
            Screen list = phone.screen().save(Books.SCREENS.resolve("chapters.png"));
            for (String name : Books.names(5)) {
                assertTrue(list.text(), list.shows(name));
            }
            phone.key(Phone.DOWN).key(Phone.FIRE);
            Screen page = phone.screen().save(Books.SCREENS.resolve("page.png"));
            assertTrue(page.shows("第2章 山雨欲来"));
            String text = Books.texts(5).get(1).replace("\r\n", "");
            assertTrue(body(page), body(page).contains(text.substring(0, 30)));
        }
    }

    @Test
    public void readsTheWholeVolumeAcrossPieceBoundaries() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 1);
            phone.key(Phone.LEFT); // full screen: only the text is drawn
            StringBuilder read = new StringBuilder();
            String last = null;
            for (int i = 0; i < 500; i++) {
                Screen s = phone.screen();
                if (s.shows("已到本卷末尾")) {
                    break;
                }
                assertNotEquals("every press turns the page", last, body(s));
                last = body(s);
                read.append(last);
                phone.key(Phone.DOWN);
            }
            assertEquals(String.join("", Books.texts(5)).replace("\r\n", ""), read.toString());
        }
    }

    @Test
    public void leftSoftKeyOpensTheOptionsMenuAndRightSoftKeyCancels() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 2);
            String page = body(phone.screen());
            Screen menu = phone.key(Phone.SOFT_LEFT).screen().save(Books.SCREENS.resolve("menu.png"));
            for (String item : List.of("章节列表", "设书签", "读取书签", "更改皮肤", "白天/黑夜", "更改字体",
                    "开/关全屏", "使用帮助", "退出")) {
                assertTrue(item, menu.shows(item));
            }
            phone.key(Phone.SOFT_RIGHT);
            assertEquals(page, body(phone.screen()));
            // Right soft key on a page goes back to the chapter list, and from there back again.
            assertTrue(phone.key(Phone.SOFT_RIGHT).screen().shows("章节列表"));
            assertEquals(page, body(phone.key(Phone.SOFT_RIGHT).screen()));
        }
    }

    @Test
    public void theMenuOffersTheKeysFunctionsHelpAndExit() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 2);
            String page = body(phone.screen());
            phone.key(Phone.SOFT_LEFT).key(Phone.FIRE); // 章节列表
            assertTrue(phone.screen().shows("章节列表"));
            phone.key(Phone.SOFT_RIGHT);
            phone.key(Phone.SOFT_LEFT).key(Phone.DOWN).key(Phone.FIRE); // 设书签
            assertTrue(phone.screen().shows("已设书签"));
            phone.key(Phone.SOFT_LEFT).key(Phone.DOWN).key(Phone.DOWN).key(Phone.FIRE); // 读取书签
            assertTrue(phone.screen().shows("书签"));
            assertTrue(phone.screen().shows("第2章 山雨欲来"));
            phone.key(Phone.SOFT_RIGHT);
            phone.key(Phone.SOFT_LEFT).key(Phone.UP).key(Phone.UP).key(Phone.FIRE); // 使用帮助 (wraps around)
            Screen help = phone.screen().save(Books.SCREENS.resolve("help.png"));
            assertTrue(help.shows("【使用介绍】"));
            assertTrue(help.shows("-“7”键-更改字体") || phone.key(Phone.DOWN).screen().shows("-“7”键-更改字体"));
            phone.key(Phone.SOFT_RIGHT);
            assertEquals("help returns to the page", page, body(phone.screen()));
            phone.key(Phone.SOFT_LEFT).key(Phone.UP).key(Phone.FIRE); // 退出
            assertTrue(phone.destroyed());
        }
    }

    @Test
    public void commandsDoWhatTheSoftKeysDo() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            assertTrue(phone.command("选项")); // on the cover: start reading
            assertTrue(phone.screen().shows("章节列表"));
            phone.key(Phone.FIRE);
            assertTrue(phone.command("选项"));
            assertTrue(phone.screen().shows("使用帮助"));
            assertTrue(phone.command("返回"));
            assertFalse(phone.screen().shows("使用帮助"));
        }
    }

    @Test
    public void aSoftKeySentAsKeyCodeAndCommandActsOnce() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 2);
            phone.key(Phone.SOFT_LEFT);
            phone.command("选项"); // the same press again, the other way
            assertTrue("the menu stays open", phone.screen().shows("使用帮助"));
            phone.command("返回");
            phone.key(Phone.SOFT_RIGHT);
            assertFalse("and closes once", phone.screen().shows("章节列表"));
        }
    }

    @Test
    public void upDownAndTwoEightTurnThePage() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 2);
            String first = body(phone.screen());
            String second = body(phone.key(Phone.DOWN).screen());
            assertNotEquals(first, second);
            assertEquals(first, body(phone.key(Phone.UP).screen()));
            assertEquals(second, body(phone.key('8').screen()));
            assertEquals(first, body(phone.key('2').screen()));
            assertTrue(phone.key('2').screen().shows("已是开头") || phone.screen().shows("第1章"));
        }
    }

    @Test
    public void holdingAKeyPagesFast() throws Exception {
        String fourth;
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 2);
            phone.key(Phone.DOWN).key(Phone.DOWN).key(Phone.DOWN);
            fourth = body(phone.screen());
        }
        Books.forget();
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 2);
            int down = phone.code(Phone.DOWN);
            phone.keyDown(down);
            phone.keyRepeat(down);
            phone.keyRepeat(down);
            phone.keyUp(down);
            assertEquals("repeat events page on", fourth, body(phone.screen()));
        }
        // Phones without repeat events: the reader pages on by itself while the key is down.
        Books.forget();
        try (Phone phone = new Phone(jar, Display.NOKIA, 240, 320, false).start()) {
            openChapter(phone, 2);
            String start = body(phone.screen());
            phone.keyDown(phone.code(Phone.DOWN));
            String second = body(phone.screen());
            Set<String> seen = new HashSet<>(List.of(start, second));
            long until = System.currentTimeMillis() + 10000;
            while (seen.size() < 4 && System.currentTimeMillis() < until) {
                Thread.sleep(20);
                seen.add(body(phone.screen()));
            }
            phone.keyUp(phone.code(Phone.DOWN));
            assertTrue("held key turned more pages: " + seen.size(), seen.size() >= 4);
            Thread.sleep(400);
            String stopped = body(phone.screen());
            Thread.sleep(400);
            assertEquals("paging stops when the key is released", stopped, body(phone.screen()));
        }
    }

    @Test
    public void leftAndRightToggleFullScreen() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 2);
            assertTrue(phone.screen().shows("选项"));
            Screen full = phone.key(Phone.RIGHT).screen().save(Books.SCREENS.resolve("fullscreen.png"));
            assertFalse(full.shows("选项"));
            assertFalse(full.shows("第2章 山雨欲来"));
            assertTrue(phone.key(Phone.LEFT).screen().shows("选项"));
            assertTrue(phone.key(Phone.LEFT).key(Phone.SOFT_LEFT).screen().shows("使用帮助"));
        }
    }

    @Test
    public void starChangesTheSkinAndZeroSwitchesDayAndNight() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 2);
            Set<Integer> backgrounds = new HashSet<>();
            int first = phone.screen().pixel(239, 160);
            backgrounds.add(first);
            for (int i = 1; i <= 4; i++) {
                Screen s = phone.key('*').screen().save(Books.SCREENS.resolve("skin" + (i + 1) + ".png"));
                backgrounds.add(s.pixel(239, 160));
            }
            assertTrue("at least four colour schemes", backgrounds.size() >= 4);
            assertEquals("the skins come round again", first, phone.key('*').screen().pixel(239, 160));
            Screen night = phone.key('0').screen().save(Books.SCREENS.resolve("night.png"));
            int bg = night.pixel(239, 160);
            assertTrue("night is dark", (bg >> 16 & 255) + (bg >> 8 & 255) + (bg & 255) < 100);
            assertTrue(night.shows("黑夜模式"));
            assertEquals(first, phone.key('0').screen().pixel(239, 160));
        }
    }

    @Test
    public void poundSetsABookmarkAndNineOpensThem() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 2);
            phone.key(Phone.DOWN).key(Phone.DOWN);
            String marked = body(phone.key('#').screen());
            assertTrue(phone.screen().shows("已设书签"));
            phone.key(Phone.DOWN);
            Screen marks = phone.key('9').screen().save(Books.SCREENS.resolve("bookmarks.png"));
            assertTrue(marks.shows("第2章 山雨欲来"));
            phone.key(Phone.FIRE);
            assertEquals(marked.replace("已设书签", ""), body(phone.screen()));
            // * deletes the chosen bookmark.
            assertTrue(phone.key('9').key('*').screen().shows("没有书签"));
        }
    }

    @Test
    public void fiveOpensTheChapterListAtTheCurrentChapter() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 3);
            Screen list = phone.key('5').screen();
            assertTrue(list.shows("3/5"));
            phone.key(Phone.DOWN).key('5');
            assertTrue(phone.screen().shows("第4章 山雨欲来"));
        }
    }

    @Test
    public void sevenChangesTheFont() throws Exception {
        try (Phone phone = new Phone(jar).start()) {
            openChapter(phone, 2);
            phone.key(Phone.RIGHT);
            int medium = phone.screen().lines().size();
            Screen large = phone.key('7').screen().save(Books.SCREENS.resolve("font-large.png"));
            assertTrue(large.shows("字体：大"));
            int big = phone.key(Phone.DOWN).key(Phone.UP).screen().lines().size();
            phone.key('7');
            int small = phone.key(Phone.DOWN).key(Phone.UP).screen().lines().size();
            assertTrue(big + " < " + medium + " < " + small, big < medium && medium < small);
            phone.screen().save(Books.SCREENS.resolve("font-small.png"));
        }
    }

    /** Full screen off and on again: the message goes, the page stays. */
    static Screen clear(Phone phone) {
        return phone.key(Phone.LEFT).key(Phone.LEFT).screen();
    }

    @Test
    public void aFontChangeKeepsTheFirstCharacterShownOnThePage() throws Exception {
        String chapter = Books.texts(5).get(1).replace("\r\n", "");
        for (int[] size : ChapterSeamTest.SIZES) {
            Books.forget();
            try (Phone phone = new Phone(jar, Display.NOKIA, size[0], size[1], true).start()) {
                openChapter(phone, 2);
                phone.key(Phone.LEFT).key(Phone.DOWN).key(Phone.DOWN).key(Phone.DOWN);
                Screen before = phone.screen();
                List<String> rows = before.lines();
                int first = chapter.indexOf(rows.get(0) + rows.get(1));
                assertTrue(first > 0);
                for (int press = 1; press <= 3; press++) {
                    phone.key('7');
                    List<String> now = clear(phone).lines();
                    int at = chapter.indexOf(now.get(0) + now.get(1));
                    assertTrue("after " + press + " presses at " + size[0] + "x" + size[1] + " the first row holds "
                            + "the first character shown before: " + at + " <= " + first + " < " + at + "+"
                            + now.get(0).length(), at >= 0 && at <= first && first < at + now.get(0).length());
                }
                assertEquals("three presses: the font and the page as before", body(before), body(phone.screen()));
            }
        }
    }

    @Test
    public void smallScreenPhone() throws Exception {
        try (Phone phone = new Phone(jar, Display.NOKIA, 128, 160, true).start()) {
            openChapter(phone, 2);
            Screen s = phone.key('7').key('7').screen().save(Books.SCREENS.resolve("page-128x160.png"));
            assertTrue(s.lines().size() > 5);
            phone.key(Phone.SOFT_LEFT).screen().save(Books.SCREENS.resolve("menu-128x160.png"));
        }
    }
}
