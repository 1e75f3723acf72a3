// SPDX-License-Identifier: GPL-3.0-or-later
package java.util;

public class Hashtable {
    public Hashtable() {}
    public Hashtable(int initialCapacity) {}
    public native int size();
    public native boolean isEmpty();
    public native synchronized Enumeration keys();
    public native synchronized Enumeration elements();
    public native synchronized boolean contains(Object value);
    public native synchronized boolean containsKey(Object key);
    public native synchronized Object get(Object key);
    public native synchronized Object put(Object key, Object value);
    public native synchronized Object remove(Object key);
    public native synchronized void clear();
}
