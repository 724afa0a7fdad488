package com.zarn.snmp;

// Opens the editor through the JNI entry point on the simulated device from the main thread, then
// from a second thread, then through the editor class: each shows the device's tables and returns
// when the window closes; a call while an editor is open is refused with a message.
public final class QuorvelinHostTest {
    static {
        System.loadLibrary("quorvelin_probe");
    }

    // The simulated device on a free loopback address (its address in network byte order, 0 when
    // it did not start); from now on every editor window is closed once shown.
    static native int startDevice();

    // Stops the device; the number of reads it answered.
    static native int stopDevice();

    // The top three levels of the tree the last editor window showed, one line per item (then
    // forgotten).
    static native String shownTree();

    // The texts of the message boxes shown so far, one a line.
    static native String boxesShown();

    // Opens the editor through the class CDlgQuorvelin; its DoModal result.
    static native int showThroughClass();

    static void check(boolean ok, String what) {
        if (!ok) throw new AssertionError(what);
    }

    public static void main(String[] args) throws Exception {
        int address = startDevice();
        check(address != 0, "the simulated device starts");
        Quorvelin host = new Quorvelin();
        int[] result = new int[1];
        Runnable open = () -> result[0] = host.ShowQuorvelin(address, 4242, 1);
        for (int run = 1; run <= 3; ++run) {
            if (run == 1) open.run();
            if (run == 2) {
                Thread second = new Thread(open);
                second.start();
                second.join(120000);
                check(!second.isAlive(), "the call from a second thread returns");
            }
            if (run == 3) result[0] = showThroughClass() + 1;
            String tree = shownTree();
            System.out.println("run " + run + " returned " + result[0] + "\n" + tree);
            check(result[0] == 1, "the editor returns when closed");
            check(tree.contains("PortA\n") && tree.contains("PortB\n") && tree.contains("    Section 0:"), "the tables shown");
        }
        check(boxesShown().equals("The editor is already open: close it first.\n".repeat(3)), "a second editor refused");
        check(stopDevice() > 0, "the device answered reads");
        System.exit(0);
    }
}
