#!/usr/bin/env python3
"""Prints one summary of the suite's builds from their CTest JUnit files: passed, failed (by
name) and skipped (by reason, from the line the skipped test printed). Exits 1 if any failed.
Usage: summarize_tests.py BUILD_DIR..."""
import collections, os, sys
import xml.etree.ElementTree as ET

totals = collections.Counter()
failed, reasons = [], collections.defaultdict(list)
for build in sys.argv[1:]:
    name = os.path.basename(build)
    path = os.path.join(build, 'results.xml')
    if not os.path.exists(path):
        totals['failed'] += 1
        failed.append(f'{name}: no test results (configure or build failed)')
        continue
    for case in ET.parse(path).getroot().iter('testcase'):
        status = case.get('status')
        out = case.findtext('system-out') or ''
        if status == 'run':
            totals['passed'] += 1
        elif status in ('fail', 'disabled') or case.find('failure') is not None:
            totals['failed'] += 1
            failed.append(f'{name}: {case.get("name")}')
        else:
            totals['skipped'] += 1
            why = [l for l in out.splitlines() if l.startswith('skipped:')] or ['skipped: no reason given']
            reasons['; '.join(w[len('skipped: '):] for w in why)].append(f'{name}/{case.get("name")}')

print('\n=== summary of the three builds ===')
for reason, tests in sorted(reasons.items()):
    print(f'skipped, {reason}: {", ".join(tests)}')
for line in failed:
    print(f'FAILED {line}')
print(f'{totals["passed"]} passed, {totals["failed"]} failed, {totals["skipped"]} skipped')
sys.exit(1 if failed else 0)
