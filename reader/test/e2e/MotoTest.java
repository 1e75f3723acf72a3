// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertNotEquals;
import static org.junit.Assert.assertTrue;

import javax.microedition.lcdui.Display;

import org.junit.Before;
import org.junit.Test;

import vamo.harness.Phone;
import vamo.harness.Screen;

/** The Motorola template answers to Motorola's soft keys; the other one to the usual. */
public class MotoTest {
    @Before
    public void fresh() {
        Books.forget();
    }

    @Test
    public void motorolaSoftKeysAndArrows() throws Exception {
        try (Phone phone = new Phone(Books.standard(Books.MOTO), Display.MOTO, 176, 220, true).start()) {
            assertEquals(-21, phone.code(Phone.SOFT_LEFT));
            phone.press(-21);
            assertTrue(phone.screen().shows("章节列表"));
            phone.press(-6).press(-20); // down arrow, then select
            Screen page = phone.screen().save(Books.SCREENS.resolve("moto-page.png"));
            assertTrue(page.shows("第2章"));
            String first = ReaderTest.body(page);
            assertNotEquals("-6 is the down arrow on Motorola", first, ReaderTest.body(phone.press(-6).screen()));
            assertTrue(phone.press(-21).screen().save(Books.SCREENS.resolve("moto-menu.png")).shows("使用帮助"));
            phone.press(-22);
            assertTrue(phone.press(-22).screen().shows("章节列表"));
        }
    }

    @Test
    public void usualTemplateTakesMinusSixAsLeftSoftKey() throws Exception {
        try (Phone phone = new Phone(Books.standard(Books.NOKIA)).start()) {
            phone.press(-6);
            assertTrue(phone.screen().shows("章节列表"));
            phone.press(-5);
            assertTrue(phone.press(-6).screen().shows("使用帮助"));
            assertTrue(phone.press(-7).screen().shows("选项"));
            // Motorola's codes mean nothing here.
            String page = ReaderTest.body(phone.screen());
            assertEquals(page, ReaderTest.body(phone.press(-21).screen()));
        }
    }
}
