// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.rms;

public class RecordStoreException extends Exception {
    public RecordStoreException() {}

    public RecordStoreException(String message) {
        super(message);
    }
}
