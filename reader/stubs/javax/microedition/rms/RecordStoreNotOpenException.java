// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.rms;

public class RecordStoreNotOpenException extends RecordStoreException {
    public RecordStoreNotOpenException() {}
    public RecordStoreNotOpenException(String message) {}
}
