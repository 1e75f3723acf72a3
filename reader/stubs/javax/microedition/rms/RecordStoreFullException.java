// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.rms;

public class RecordStoreFullException extends RecordStoreException {
    public RecordStoreFullException() {}
    public RecordStoreFullException(String message) {}
}
