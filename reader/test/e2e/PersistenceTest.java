// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertNotEquals;
import static org.junit.Assert.assertTrue;

import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

import javax.microedition.rms.RecordStore;

import org.junit.Before;
import org.junit.Test;

import vamo.harness.CliBooks;
import vamo.harness.Novel;
import vamo.harness.Phone;
import vamo.harness.Screen;

/** What the reader keeps in the record store survives a restart, per book. */
public class PersistenceTest {
    @Before
    public void fresh() {
        Books.forget();
    }

    static String body(Screen s) {
        return ReaderTest.body(s);
    }

    @Test
    public void resumesWhereLeftAndKeepsBookmarksAndPreferences() throws Exception {
        Path jar = Books.standard(Books.NOKIA);
        String marked, left;
        try (Phone phone = new Phone(jar).start()) {
            ReaderTest.openChapter(phone, 2);
            phone.key(Phone.DOWN).key(Phone.DOWN);
            marked = body(phone.key('#').screen()).replace("已设书签", "");
            phone.key(Phone.DOWN).key(Phone.DOWN).key(Phone.DOWN);
            phone.key('0').key('7');
            left = body(phone.key(Phone.UP).key(Phone.DOWN).screen());
        }
        try (Phone phone = new Phone(jar).start()) {
            Screen cover = phone.screen();
            assertTrue(cover.shows(Books.NAME));
            Screen resumed = phone.key(Phone.SOFT_LEFT).screen().save(Books.SCREENS.resolve("resumed.png"));
            assertEquals("reading resumes on the page left", left, body(resumed));
            int bg = resumed.pixel(239, 160);
            assertTrue("night mode kept", (bg >> 16 & 255) + (bg >> 8 & 255) + (bg & 255) < 100);
            phone.key('9');
            assertTrue(phone.screen().shows("第2章 山雨欲来"));
            String page = body(phone.key(Phone.FIRE).screen());
            int bar = page.indexOf('%') + 1; // the page in the larger font shows less: compare its start
            assertEquals("the bookmark survived", marked.substring(bar, bar + 40), page.substring(bar, bar + 40));
        }
    }

    @Test
    public void theCoverShowsItsBarsAfterARestartInFullScreen() throws Exception {
        Path jar = Books.standard(Books.NOKIA);
        try (Phone phone = new Phone(jar).start()) {
            ReaderTest.openChapter(phone, 2);
            assertFalse(phone.key(Phone.LEFT).screen().shows("选项"));
        }
        try (Phone phone = new Phone(jar).start()) {
            Screen cover = phone.screen().save(Books.SCREENS.resolve("cover-after-full-screen.png"));
            assertTrue(cover.text(), cover.shows("开始") && cover.shows("退出"));
            assertTrue("the title bar", cover.lines().get(0).startsWith(Books.NAME));
            assertTrue(cover.shows(Books.MAKER));
            phone.key(Phone.SOFT_LEFT);
            assertFalse("the page is still in full screen", phone.screen().shows("选项"));
        }
    }

    /** Waits until the reader's threads have written nothing for a moment; the records written. */
    static int settled() throws InterruptedException {
        int n = RecordStore.harnessWrites();
        for (long quiet = System.currentTimeMillis(); System.currentTimeMillis() - quiet < 400;) {
            Thread.sleep(20);
            if (RecordStore.harnessWrites() != n) {
                n = RecordStore.harnessWrites();
                quiet = System.currentTimeMillis();
            }
        }
        return n;
    }

    @Test
    public void aPowerCutLosesAtMostOnePageTurn() throws Exception {
        Path jar = Books.standard(Books.NOKIA);
        List<String> pages = new ArrayList<>();
        int turns = 25, chapters = 0;
        try (Phone phone = new Phone(jar).start()) {
            ReaderTest.openChapter(phone, 1);
            int before = settled(), mine = RecordStore.harnessWrites(Thread.currentThread());
            String chapter = phone.screen().lines().get(0).replaceAll(" .*", "");
            for (int i = 0; i < turns; i++) {
                Screen s = phone.key(Phone.DOWN).screen();
                pages.add(body(s));
                if (!s.lines().get(0).startsWith(chapter)) {
                    chapters++;
                    chapter = s.lines().get(0).replaceAll(" .*", "");
                }
            }
            int writes = settled() - before;
            assertTrue("the chapter changed: " + chapters, chapters >= 1);
            // Stores asked for while one is still being written are made as one.
            assertTrue(writes + " writes for " + turns + " turns and " + chapters + " chapter changes",
                    writes >= 1 && writes <= turns / 2 + chapters);
            assertEquals("none while a key is handled", mine, RecordStore.harnessWrites(Thread.currentThread()));
            phone.kill();
        }
        try (Phone phone = new Phone(jar).start()) {
            int at = pages.indexOf(body(phone.key(Phone.SOFT_LEFT).screen()));
            assertTrue("resumed on page " + at + " of " + turns, at >= turns - 2);
        }
        // Put away by the phone (a call comes in): stored at once.
        Books.forget();
        try (Phone phone = new Phone(jar).start()) {
            ReaderTest.openChapter(phone, 2);
            String page = body(phone.key(Phone.DOWN).screen());
            phone.pause();
            phone.kill();
            try (Phone again = new Phone(jar).start()) {
                assertEquals(page, body(again.key(Phone.SOFT_LEFT).screen()));
            }
        }
    }

    @Test
    public void theVolumesOfACutBookKeepTheirOwn() throws Exception {
        List<String> texts = new ArrayList<>();
        for (int i = 1; i <= 6; i++) {
            texts.add(Novel.text(40 + i, 12000));
        }
        // Cut for the smallest phones: a volume holds a few of the chapters.
        List<Path> volumes = CliBooks.make(Books.names(6), texts, Books.options("--jar-size", "4"));
        assertTrue("the book is cut into volumes: " + volumes, volumes.size() >= 2);
        Path one = volumes.get(0), two = volumes.get(1);
        String first;
        try (Phone phone = new Phone(one).start()) {
            first = phone.property("MIDlet-Name");
            ReaderTest.openChapter(phone, 1);
            phone.key(Phone.DOWN).key('#');
        }
        try (Phone phone = new Phone(two).start()) {
            assertNotEquals("each volume is a MIDlet of its own", first, phone.property("MIDlet-Name"));
            assertTrue("no saved page: the chapter list", phone.key(Phone.SOFT_LEFT).screen().shows("章节列表"));
            assertTrue(phone.key(Phone.SOFT_RIGHT).key('9').screen().shows("没有书签"));
        }
        assertEquals(2, RecordStore.harnessNames().size());
        try (Phone phone = new Phone(one).start()) {
            assertFalse(phone.key(Phone.SOFT_LEFT).screen().shows("章节列表"));
            assertTrue(phone.key('9').screen().shows("第1章 初入江湖"));
        }
    }
}
