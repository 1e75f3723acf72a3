package readertest;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertTrue;

import java.nio.file.Path;

import org.junit.Before;
import org.junit.Test;

import vamo.harness.Phone;
import vamo.harness.Screen;

public class ReaderTest {
    @Before
    public void fresh() {
        Books.forget();
    }

    @Test
    public void coverThenChapterListThenChapter() throws Exception {
        Path jar = Books.standard(Books.NOKIA);
        try (Phone phone = new Phone(jar).start()) {
            Screen cover = phone.screen().save(Books.SCREENS.resolve("cover.png"));
            assertTrue(cover.text(), cover.shows(Books.NAME));
            assertTrue(cover.shows(Books.MESSAGE));
            phone.key(Phone.SOFT_LEFT);
            Screen list = phone.screen().save(Books.SCREENS.resolve("chapters.png"));
            assertTrue(list.text(), list.shows("第1章 初入江湖"));
            phone.key(Phone.DOWN).key(Phone.FIRE);
            Screen page = phone.screen().save(Books.SCREENS.resolve("page.png"));
            assertTrue(page.text(), page.shows("第2章 山雨欲来"));
        }
    }
}
