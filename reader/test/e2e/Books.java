// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;

import javax.microedition.rms.RecordStore;

import vamo.harness.BookMaker;

/** Where the templates and the test's files are, and the books the tests read. */
final class Books {
    static final Path PROGRAM = Paths.get(System.getProperty("vamo.programDir", "build/bin"));
    static final Path WORK = Paths.get(System.getProperty("vamo.work", "build/reader-e2e"));
    static final Path SCREENS = Paths.get(System.getProperty("vamo.screens", "build/reader-screens"));
    static final Path NOKIA = PROGRAM.resolve("DuvEver.dll");
    static final Path MOTO = PROGRAM.resolve("DuvEverMoto.dll");

    static final String NAME = "山居杂记";
    static final String MESSAGE = "手机看小说就上www.vamobook.cn";
    static final String MAKER = "Vamo";

    private Books() {}

    static List<String> names(int n) {
        List<String> names = new ArrayList<>();
        for (int i = 1; i <= n; i++) {
            names.add("第" + i + "章 " + (i % 2 == 0 ? "山雨欲来" : "初入江湖"));
        }
        return names;
    }

    /** Chapter texts: the second one long enough for several pieces. */
    static List<String> texts(int n) {
        List<String> texts = new ArrayList<>();
        for (int i = 1; i <= n; i++) {
            texts.add(BookMaker.novel(i, i == 2 ? 5000 : 600 + 150 * i));
        }
        return texts;
    }

    static Path make(String file, String midletName, Path template, List<String> names, List<String> texts)
            throws Exception {
        Map<String, byte[]> files = BookMaker.payload(names, texts, NAME, MESSAGE, MAKER);
        return BookMaker.jar(template, WORK.resolve(file), midletName, files);
    }

    static Path make(String file, Map<String, byte[]> files, Path template) throws Exception {
        Files.createDirectories(WORK);
        return BookMaker.jar(template, WORK.resolve(file), NAME, files);
    }

    static Path standard(Path template) throws Exception {
        return make(template == MOTO ? "moto.jar" : "book.jar", NAME, template, names(5), texts(5));
    }

    static void forget() {
        RecordStore.harnessReset();
    }
}
