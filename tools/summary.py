#!/usr/bin/env python3
"""Sums the results of every test program of the three builds into one line.

GoogleTest programs leave an XML file per program (cases counted one by one); other
ctest tests (export-table checks) count as one case each from ctest's JUnit report. A
program that crashed before writing its XML counts as one failure."""
import glob
import os
import sys
import xml.etree.ElementTree as ET

def main(build_dirs):
    passed = failed = skipped = 0
    failures = []
    for build in build_dirs:
        junit = os.path.join(build, "ctest-junit.xml")
        if not os.path.exists(junit):
            continue
        for case in ET.parse(junit).getroot().iter("testcase"):
            name = case.get("name")
            ok = case.get("status") == "run" and case.find("failure") is None
            gtest_xml = os.path.join(build, "results", name + ".xml")
            if os.path.exists(gtest_xml):
                try:
                    root = ET.parse(gtest_xml).getroot()
                except ET.ParseError:
                    root = None
                if root is not None:
                    for tc in root.iter("testcase"):
                        if tc.get("result") == "skipped" or tc.get("status") == "notrun":
                            skipped += 1
                        elif tc.find("failure") is not None:
                            failed += 1
                            failures.append(f"{os.path.basename(build)}: {tc.get('classname')}.{tc.get('name')}")
                        else:
                            passed += 1
                    if not ok and root.get("failures") == "0":
                        failed += 1   # the program failed outside any test case
                        failures.append(f"{os.path.basename(build)}: {name} (program failed)")
                    continue
            if ok:
                passed += 1
            else:
                failed += 1
                failures.append(f"{os.path.basename(build)}: {name}")
    for f in failures:
        print("FAILED:", f)
    line = f"{passed} passed, {failed} failed"
    if skipped:
        line += f", {skipped} skipped"
    print(line)
    return 0 if failed == 0 and passed > 0 else 1

if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
