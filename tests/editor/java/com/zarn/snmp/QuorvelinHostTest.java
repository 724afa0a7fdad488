package com.zarn.snmp;

// Opens the editor twice in a row through the JNI entry point on the simulated device, checks that
// each call returns 1 after the window showed the device's tables, and that a call from a second
// thread returns 1 at once, refused.
public final class QuorvelinHostTest {
    static {
        System.loadLibrary("quorvelin_probe");
    }

    // The simulated device on a free loopback address (its address in network byte order, 0 when
    // it did not start); from now on every editor window is closed once shown.
    static native int startDevice();

    // Stops the device; the number of reads it answered.
    static native int stopDevice();

    // The top three levels of the tree the last editor window showed, one line per item.
    static native String shownTree();

    static void check(boolean ok, String what) {
        if (!ok) throw new AssertionError(what);
    }

    public static void main(String[] args) throws Exception {
        int address = startDevice();
        check(address != 0, "the simulated device starts");
        Quorvelin host = new Quorvelin();
        for (int run = 1; run <= 2; ++run) {
            int result = host.ShowQuorvelin(address, 4242, 1);
            String tree = shownTree();
            System.out.println("run " + run + " returned " + result + "\n" + tree);
            check(result == 1, "ShowQuorvelin returns 1");
            check(tree.contains("PortA\n") && tree.contains("PortB\n") && tree.contains("    SECTION0:"), "the tables shown");
        }
        int[] other = new int[1];
        Thread second = new Thread(() -> other[0] = host.ShowQuorvelin(address, 0, 1));
        second.start();
        second.join(30000);
        check(!second.isAlive() && other[0] == 1, "a call from another thread returns 1 at once");
        check(stopDevice() > 0, "the device answered reads");
        System.exit(0);
    }
}
