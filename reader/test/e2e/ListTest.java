// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertNotEquals;
import static org.junit.Assert.assertNotNull;
import static org.junit.Assert.assertTrue;

import java.nio.file.Path;

import javax.microedition.lcdui.Display;
import javax.microedition.lcdui.Graphics;

import org.junit.Before;
import org.junit.Test;

import vamo.harness.Phone;
import vamo.harness.Screen;

/** The chapter list, the bookmark list and the options menu show which row is chosen. */
public class ListTest {
    private Path jar;

    @Before
    public void fresh() throws Exception {
        Books.forget();
        jar = Books.standard(Books.NOKIA);
    }

    static Graphics.Text row(Screen s, String text) {
        for (Graphics.Text t : s.texts) {
            if (t.text().contains(text)) {
                return t;
            }
        }
        return null;
    }

    /** The background of a row, just left of where its text begins. */
    static int background(Screen s, String text) {
        Graphics.Text t = row(s, text);
        assertNotNull(text + " is drawn:\n" + s.text(), t);
        return s.pixel(t.x() - 2, t.y() + t.width() % 3 + 2);
    }

    /** The chosen row stands out, the others do not. */
    static void assertChosen(Screen s, String chosen, String... others) {
        int mark = background(s, chosen);
        for (String o : others) {
            assertNotEquals(chosen + " stands out from " + o, mark, background(s, o));
            assertEquals(background(s, others[0]), background(s, o));
        }
    }

    @Test
    public void theChosenRowIsMarkedWhereverItIs() throws Exception {
        for (int[] size : new int[][] {{240, 320}, {128, 160}}) {
            Books.forget();
            try (Phone phone = new Phone(jar, Display.NOKIA, size[0], size[1], true).start()) {
                String at = size[0] + "x" + size[1];
                Screen list = phone.key(Phone.SOFT_LEFT).key(Phone.DOWN).screen();
                list.save(Books.SCREENS.resolve("chapters-second-" + at + ".png"));
                assertChosen(list, "2. 第2章", "1. 第1章", "3. 第3章");
                assertChosen(phone.key(Phone.DOWN).screen(), "3. 第3章", "1. 第1章", "2. 第2章");
                assertChosen(phone.key(Phone.UP).key(Phone.UP).screen(), "1. 第1章", "2. 第2章", "3. 第3章");

                phone.key(Phone.DOWN).key(Phone.FIRE).key('#').key(Phone.DOWN).key(Phone.DOWN).key('#');
                Screen marks = phone.key('9').key(Phone.DOWN).screen();
                marks.save(Books.SCREENS.resolve("bookmarks-" + at + ".png"));
                Graphics.Text first = marks.texts.stream().filter(t -> t.text().contains("% 第2章")).findFirst()
                        .orElseThrow();
                Graphics.Text second = marks.texts.stream()
                        .filter(t -> t.text().contains("% 第2章") && t.y() > first.y()).findFirst().orElseThrow();
                assertNotEquals("the second bookmark is marked", marks.pixel(first.x() - 2, first.y() + 2),
                        marks.pixel(second.x() - 2, second.y() + 2));
                assertEquals(marks.pixel(second.x() - 2, second.y() + 2), background(list, "2. 第2章"));

                phone.key(Phone.SOFT_RIGHT);
                Screen menu = phone.key(Phone.SOFT_LEFT).key(Phone.DOWN).key(Phone.DOWN).screen();
                menu.save(Books.SCREENS.resolve("menu-third-" + at + ".png"));
                assertChosen(menu, "读取书签", "章节列表", "设书签");
                assertTrue(phone.key(Phone.FIRE).screen().shows("(*键删除)"));
            }
        }
    }
}
