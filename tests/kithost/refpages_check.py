#!/usr/bin/env python3
"""The visual host's reference pages, read as the host reads them: each
CLASS.maxref.xml the build made must parse as XML and list exactly what the
class registers (messages with their arguments, attributes, inlets and
outlets), each with a digest, as `kithost --describe CLASS --json` reports it.

    refpages_check.py KITHOST REFPAGE_DIR CLASS...
"""
import json
import os
import subprocess
import sys
import xml.etree.ElementTree as ElementTree


def faults_of(kithost, folder, name):
    path = os.path.join(folder, name + ".maxref.xml")
    try:
        root = ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError) as error:
        return [f"{path}: {error}"]
    described = subprocess.run([kithost, "--describe", name, "--json"], capture_output=True,
                               text=True, timeout=60, check=True)
    reference = json.loads(described.stdout)
    faults = []

    def expect(condition, text):
        if not condition:
            faults.append(f"{name}: {text}")

    def has_digest(element, what):
        digest = element.find("digest")
        expect(digest is not None and (digest.text or "").strip(), f"{what} has no digest")

    expect(root.tag == "c74object" and root.get("name") == name,
           f"the root is <{root.tag} name={root.get('name')!r}>")
    has_digest(root, "the class")
    expect(root.find("description") is not None, "no description")
    authors = [m for m in root.iterfind("metadatalist/metadata") if m.get("name") == "author"]
    expect(authors, "no author in the metadata")

    methods = root.findall("methodlist/method")
    expect([m.get("name") for m in methods] == [m["selector"] for m in reference["messages"]],
           f"methods {[m.get('name') for m in methods]}, the class registers "
           f"{[m['selector'] for m in reference['messages']]}")
    for method, registered in zip(methods, reference["messages"]):
        has_digest(method, f"message {registered['selector']}")
        arguments = method.findall("arglist/arg")
        types = registered["arguments"]
        if types != ["atoms..."]:
            expect(len(arguments) == len(types),
                   f"message {registered['selector']} lists {len(arguments)} arguments, "
                   f"the class takes {len(types)}")
            for arg, registered_type in zip(arguments, types):
                optional = registered_type.startswith("[")
                expect(arg.get("optional") == ("1" if optional else "0"),
                       f"message {registered['selector']}: argument {arg.get('name')} "
                       f"optional={arg.get('optional')}, registered as {registered_type}")

    attributes = root.findall("attributelist/attribute")
    expect([a.get("name") for a in attributes] == [a["name"] for a in reference["attributes"]],
           f"attributes {[a.get('name') for a in attributes]}")
    for attribute, registered in zip(attributes, reference["attributes"]):
        has_digest(attribute, f"attribute {registered['name']}")
        expect(attribute.get("type") == registered["type"],
               f"attribute {registered['name']} of type {attribute.get('type')}")

    for kind in ("inlet", "outlet"):
        places = root.findall(f"{kind}list/{kind}")
        registered = reference[kind + "s"]
        expect(registered is not None and len(places) == len(registered),
               f"{len(places)} {kind}s, the class has {registered and len(registered)}")
        for index, place in enumerate(places):
            expect(place.get("id") == str(index), f"{kind} {index} has id {place.get('id')}")
            has_digest(place, f"{kind} {index}")
    expect(root.find("objarglist") is not None, "no objarglist")
    expect(root.find("seealsolist/seealso") is not None, "no related classes")
    return faults


def main():
    kithost, folder, classes = sys.argv[1], sys.argv[2], sys.argv[3:]
    faults = [fault for name in classes for fault in faults_of(kithost, folder, name)]
    for fault in faults:
        print(fault)
    if faults:
        sys.exit(1)
    print(f"{len(classes)} reference pages read as the class registers itself")


if __name__ == "__main__":
    main()
