// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;

import javax.microedition.rms.RecordStore;

import vamo.harness.BookMaker;
import vamo.harness.CliBooks;
import vamo.harness.Novel;

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
            texts.add(Novel.text(i, i == 2 ? 5000 : 600 + 150 * i));
        }
        return texts;
    }

    /** The make command's settings of the tests' books, then more. */
    static String[] options(String... more) {
        List<String> o = new ArrayList<>(List.of("--book-name", NAME, "--message", MESSAGE, "--maker", MAKER));
        o.addAll(List.of(more));
        return o.toArray(new String[0]);
    }

    /** A one-volume book of the chapters, made by the command line for the usual phones. */
    static Path make(List<String> names, List<String> texts) throws Exception {
        return CliBooks.one(names, texts, options("--jar-size", "0", "--phone", "0"));
    }

    /** The book of five chapters, for the phones of template (NOKIA or MOTO). */
    static Path standard(Path template) throws Exception {
        return CliBooks.one(names(5), texts(5), options("--jar-size", "0", "--phone", template == MOTO ? "1" : "0"));
    }

    /** A damaged book: the entries of a made one, changed, as the JAR file. */
    static Path damaged(String file, Map<String, byte[]> entries) throws Exception {
        return BookMaker.jar(WORK.resolve(file), entries);
    }

    static void forget() {
        RecordStore.harnessReset();
    }
}
