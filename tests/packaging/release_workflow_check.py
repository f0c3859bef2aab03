#!/usr/bin/env python3
"""The release workflow for hosted runners cannot run here; what can be
checked is that it parses as YAML, that its jobs hang together, and that the
presets, scripts and targets it names exist in this tree.

    release_workflow_check.py SOURCE_DIR CLASS...
"""
import json
import os
import re
import sys

import yaml


def main():
    source, classes = sys.argv[1], sys.argv[2:]
    with open(os.path.join(source, ".github/workflows/release.yml")) as file:
        workflow = yaml.safe_load(file)
    with open(os.path.join(source, "CMakePresets.json")) as file:
        presets = json.load(file)
    faults = []
    jobs = workflow.get("jobs", {})
    for job in ("windows", "macos", "package"):
        if job not in jobs:
            faults.append(f"no job {job}")
    if set(jobs.get("package", {}).get("needs", [])) != {"windows", "macos"}:
        faults.append("the package job does not wait for both externals jobs")

    runs = {name: "\n".join(step.get("run", "") for step in job.get("steps", []))
            for name, job in jobs.items()}
    known = {kind: {p["name"] for p in presets.get(kind + "Presets", [])}
             for kind in ("configure", "build", "workflow")}
    for name, text in runs.items():
        for kind, preset in re.findall(r"cmake (--build )?--preset (\S+)", text):
            group = "build" if kind else "configure"
            if preset not in known[group]:
                faults.append(f"job {name}: no {group} preset {preset}")
        for script in re.findall(r"scripts/[\w.-]+", text):
            if not os.path.exists(os.path.join(source, script)):
                faults.append(f"job {name}: no {script}")
        for stage in re.findall(r"scripts/test\.sh (\w[\w-]*)", text):
            if "ci-" + stage not in known["workflow"]:
                faults.append(f"job {name}: scripts/test.sh has no stage {stage}")
    targets = re.search(r"--target ([^\n]+)", runs.get("macos", ""))
    if not targets or sorted(targets.group(1).split()) != sorted(classes):
        faults.append("the macOS job does not build every class")
    for needed in ("codesign --force --sign -", "arm64;x86_64"):
        if needed not in runs.get("macos", "") and needed not in str(jobs.get("macos")):
            faults.append(f"the macOS job lacks {needed}")
    for variable in ("KIT_WINDOWS_EXTERNALS_DIR", "KIT_MAC_EXTERNALS_DIR"):
        if variable not in runs.get("package", ""):
            faults.append(f"the package job does not set {variable}")
    for fault in faults:
        print(fault)
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
