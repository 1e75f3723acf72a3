// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.rms;

import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;

/**
 * Desktop record stores, kept in memory for the whole test run so that a
 * MIDlet started again finds what it stored before (like a phone after a
 * restart). harnessReset forgets everything.
 */
public class RecordStore {
    private static final Map<String, List<byte[]>> STORES = new HashMap<>();
    /* Records written (added or set), per thread that wrote them. */
    private static final Map<Thread, Integer> WRITES = new HashMap<>();
    private final String name;
    private boolean open = true;

    private RecordStore(String name) {
        this.name = name;
    }

    public static synchronized void harnessReset() {
        STORES.clear();
        WRITES.clear();
    }

    /** Records written since the last reset, by every thread. */
    public static synchronized int harnessWrites() {
        return WRITES.values().stream().mapToInt(Integer::intValue).sum();
    }

    /** Records written since the last reset by thread t. */
    public static synchronized int harnessWrites(Thread t) {
        return WRITES.getOrDefault(t, 0);
    }

    private static synchronized void wrote() {
        WRITES.merge(Thread.currentThread(), 1, Integer::sum);
    }

    public static synchronized List<String> harnessNames() {
        return new ArrayList<>(STORES.keySet());
    }

    public static synchronized void deleteRecordStore(String recordStoreName) throws RecordStoreException {
        if (STORES.remove(recordStoreName) == null) {
            throw new RecordStoreNotFoundException(recordStoreName);
        }
    }

    public static synchronized RecordStore openRecordStore(String recordStoreName, boolean createIfNecessary)
            throws RecordStoreException {
        if (recordStoreName == null || recordStoreName.isEmpty() || recordStoreName.length() > 32) {
            throw new IllegalArgumentException("record store name must have 1 to 32 characters");
        }
        if (!STORES.containsKey(recordStoreName)) {
            if (!createIfNecessary) {
                throw new RecordStoreNotFoundException(recordStoreName);
            }
            STORES.put(recordStoreName, new ArrayList<>());
        }
        return new RecordStore(recordStoreName);
    }

    public static synchronized String[] listRecordStores() {
        return STORES.isEmpty() ? null : STORES.keySet().toArray(new String[0]);
    }

    private List<byte[]> records() throws RecordStoreNotOpenException {
        if (!open) {
            throw new RecordStoreNotOpenException(name);
        }
        return STORES.get(name);
    }

    private byte[] record(int id) throws RecordStoreException {
        List<byte[]> r = records();
        if (id < 1 || id > r.size() || r.get(id - 1) == null) {
            throw new InvalidRecordIDException(String.valueOf(id));
        }
        return r.get(id - 1);
    }

    public void closeRecordStore() throws RecordStoreException {
        records();
        open = false;
    }

    public String getName() throws RecordStoreNotOpenException {
        records();
        return name;
    }

    public int getVersion() throws RecordStoreNotOpenException {
        return records().size();
    }

    public int getNumRecords() throws RecordStoreNotOpenException {
        int n = 0;
        for (byte[] b : records()) {
            n += b == null ? 0 : 1;
        }
        return n;
    }

    public int getSize() throws RecordStoreNotOpenException {
        int n = 0;
        for (byte[] b : records()) {
            n += b == null ? 0 : b.length;
        }
        return n;
    }

    public int getSizeAvailable() throws RecordStoreNotOpenException {
        return 64 * 1024 - getSize();
    }

    public long getLastModified() throws RecordStoreNotOpenException {
        return 0;
    }

    public int getNextRecordID() throws RecordStoreException {
        return records().size() + 1;
    }

    public int addRecord(byte[] data, int offset, int numBytes) throws RecordStoreException {
        List<byte[]> r = records();
        byte[] copy = new byte[numBytes];
        System.arraycopy(data, offset, copy, 0, numBytes);
        r.add(copy);
        wrote();
        return r.size();
    }

    public void deleteRecord(int recordId) throws RecordStoreException {
        record(recordId);
        records().set(recordId - 1, null);
    }

    public int getRecordSize(int recordId) throws RecordStoreException {
        return record(recordId).length;
    }

    public int getRecord(int recordId, byte[] buffer, int offset) throws RecordStoreException {
        byte[] b = record(recordId);
        System.arraycopy(b, 0, buffer, offset, b.length);
        return b.length;
    }

    public byte[] getRecord(int recordId) throws RecordStoreException {
        return record(recordId).clone();
    }

    public void setRecord(int recordId, byte[] newData, int offset, int numBytes) throws RecordStoreException {
        record(recordId);
        byte[] copy = new byte[numBytes];
        System.arraycopy(newData, offset, copy, 0, numBytes);
        records().set(recordId - 1, copy);
        wrote();
    }
}
