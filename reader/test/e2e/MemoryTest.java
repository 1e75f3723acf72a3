// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertTrue;

import java.lang.reflect.Array;
import java.lang.reflect.Field;
import java.lang.reflect.Modifier;
import java.util.ArrayList;
import java.util.IdentityHashMap;
import java.util.List;
import java.util.Map;

import org.junit.Before;
import org.junit.Test;

import vamo.harness.Novel;
import vamo.harness.Phone;

/**
 * The reader must run in a 200 KB heap, so it holds only the chapter names and
 * the piece being read (and its neighbour). The heap of a phone cannot be set
 * on the desktop; instead everything the reader's objects hold is summed with
 * the sizes a small VM gives them.
 */
public class MemoryTest {
    @Before
    public void fresh() {
        Books.forget();
    }

    /** Bytes held by the reader's own objects reachable from o (strings and arrays included). */
    static long held(Object o, ClassLoader reader, Map<Object, Boolean> seen) throws Exception {
        if (o == null || seen.put(o, Boolean.TRUE) != null) {
            return 0;
        }
        Class<?> c = o.getClass();
        if (o instanceof String s) {
            return 24 + 12 + 2L * s.length();
        }
        if (c.isArray()) {
            int n = Array.getLength(o);
            Class<?> e = c.getComponentType();
            long size = 12 + (long) n * (e == char.class || e == short.class ? 2 : e == byte.class
                    || e == boolean.class ? 1 : e == long.class ? 8 : 4);
            if (!e.isPrimitive()) {
                for (int i = 0; i < n; i++) {
                    size += held(Array.get(o, i), reader, seen);
                }
            }
            return size;
        }
        if (c.getClassLoader() != reader) {
            return 16; // a platform object (font, command, thread): the phone's, counted small
        }
        long size = 8;
        for (Class<?> k = c; k != null && k.getClassLoader() == reader; k = k.getSuperclass()) {
            for (Field f : k.getDeclaredFields()) {
                if (Modifier.isStatic(f.getModifiers())) {
                    continue;
                }
                size += 4;
                if (!f.getType().isPrimitive()) {
                    f.setAccessible(true);
                    size += held(f.get(o), reader, seen);
                }
            }
        }
        return size;
    }

    @Test
    public void aThousandChaptersAndALongChapterFitInASmallHeap() throws Exception {
        List<String> names = new ArrayList<>(), texts = new ArrayList<>();
        for (int i = 1; i <= 1000; i++) {
            names.add("第" + i + "章 风起云涌的日子");
            texts.add(i == 500 ? Novel.text(i, 60000) : Novel.text(i, 200));
        }
        java.nio.file.Path jar = Books.make(names, texts);
        try (Phone phone = new Phone(jar).start()) {
            phone.key(Phone.SOFT_LEFT);
            for (int i = 1; i < 500; i++) {
                phone.key(Phone.DOWN);
            }
            phone.key(Phone.FIRE);
            assertTrue(phone.screen().shows("第500章"));
            long most = 0;
            for (int page = 0; page < 150; page++) {
                phone.key(Phone.DOWN).screen();
                Object midlet = phone.midlet();
                most = Math.max(most, held(midlet, midlet.getClass().getClassLoader(), new IdentityHashMap<>()));
            }
            assertTrue("the reader holds " + most + " bytes", most < 60 * 1024);
        }
    }
}
