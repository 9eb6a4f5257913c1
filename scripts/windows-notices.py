#!/usr/bin/python3
"""Writes the third-party notices of Vellacor.exe for Windows to standard output.

    scripts/windows-notices.py QT_SOURCE QT_PREFIX > dist/windows/THIRD-PARTY-NOTICES.txt

QT_SOURCE is the qtbase source the static Qt was built from (see scripts/windows-qt.sh),
QT_PREFIX that Qt. Every library Qt's source names in a qt_attribution.json is either in the
program or not, by the rule below and the features the prefix was configured with; a library
that has no rule stops the script, so that a newer Qt cannot add one unnoticed. The runtime of
mingw-w64, also linked in, follows Qt's libraries.
"""
import glob
import json
import os
import re
import sys

# Id -> a test of the prefix's features (None: never in this program, whatever the features).
# Vellacor.exe links Qt Core, Gui and Widgets with the plugins qwindows,
# qwindowsvistastyle, qjpeg and qico: not Test, Network, OpenGL, D-Bus or any other platform.
RULES = {
    "blake2": lambda f: not f("system_libb2"),  # QCryptographicHash, as the five below
    "doubleconversion": lambda f: f("doubleconversion") and not f("system_doubleconversion"),
    "easing": lambda f: f("easingcurve"),
    "freetype": lambda f: f("freetype") and not f("system_freetype"),
    "freetype-zlib": lambda f: f("freetype") and not f("system_freetype"),
    "freetype-bdf": lambda f: f("freetype") and not f("system_freetype"),
    "freetype-pcf": lambda f: f("freetype") and not f("system_freetype"),
    "grayraster": lambda f: True,  # the raster paint engine
    "harfbuzz-ng": lambda f: f("harfbuzz") and not f("system_harfbuzz"),
    "icc-sRGB-color-profile": lambda f: f("pdf"),  # a resource of the PDF writer
    "libjpeg": lambda f: f("jpeg") and not f("system_jpeg"),
    "libpng": lambda f: f("png") and not f("system_png"),
    "md4": lambda f: True,
    "md4c": lambda f: f("textmarkdownreader") and not f("system_textmarkdownreader"),
    "md5": lambda f: True,
    "pcre2": lambda f: f("regularexpression") and not f("system_pcre2"),
    "pcre2-sljit": lambda f: f("regularexpression") and not f("system_pcre2"),
    "rfc6234": lambda f: True,
    "sha1": lambda f: True,
    "sha3_endian": lambda f: True,
    "sha3_keccak": lambda f: True,
    "siphash": lambda f: True,  # QHash
    "smooth-scaling-algorithm": lambda f: True,  # QImage scaling
    "tinycbor": lambda f: f("cborstreamreader") or f("cborstreamwriter"),
    "unicode-character-database": lambda f: True,
    "unicode-cldr": lambda f: True,
    "webgradients": lambda f: True,  # QGradient's presets
    "xserverhelper": lambda f: True,  # QRegion
    "zlib": lambda f: not f("system_zlib"),
    "aglfn": lambda f: f("pdf"),
    # Build scripts, tests, other platforms, and modules this build leaves out.
    "extra-cmake-modules": None, "kwin": None,
    "android-native-style": None, "android-gradle-wrapper": None, "forkfd": None,
    "libpsl": None, "psl": None, "pixman": None, "vera_font": None, "dejayvu": None,
    "xcb-xinput": None, "qeventdispatcher_cf": None, "libdbus-1-headers": None,
    "opengl-headers": None, "opengl-es2-headers": None,
    "cocoa-platform-plugin": None, "valgrind": None, "cycle": None, "linuxperf": None,
    "catch2": None,
}

MINGW = """\
mingw-w64 runtime and winpthreads
---------------------------------
Vellacor.exe is linked statically with the runtime of the mingw-w64 compiler: its C runtime
start-up code and the winpthreads library. (GCC's own libgcc and libstdc++ are under the GPL
with the GCC Runtime Library Exception, which asks for no notice.)

winpthreads: Copyright (c) 2011-2016 mingw-w64 project

Permission is hereby granted, free of charge, to any person obtaining a copy of this software
and associated documentation files (the "Software"), to deal in the Software without
restriction, including without limitation the rights to use, copy, modify, merge, publish,
distribute, sublicense, and/or sell copies of the Software, and to permit persons to whom the
Software is furnished to do so, subject to the following conditions:

The above copyright notice and this permission notice shall be included in all copies or
substantial portions of the Software.

THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING
BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND
NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM,
DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE SOFTWARE.

winpthreads' pthread.h: Copyright (c) 2010 Lockless Inc. All rights reserved.

Redistribution and use in source and binary forms, with or without modification, are permitted
provided that the following conditions are met:
  * Redistributions of source code must retain the above copyright notice, this list of
    conditions and the following disclaimer.
  * Redistributions in binary form must reproduce the above copyright notice, this list of
    conditions and the following disclaimer in the documentation and/or other materials
    provided with the distribution.
  * Neither the name of Lockless Inc. nor the names of its contributors may be used to
    endorse or promote products derived from this software without specific prior written
    permission.

THIS SOFTWARE IS PROVIDED BY THE COPYRIGHT HOLDERS AND CONTRIBUTORS "AS IS" AN ANY EXPRESS OR
IMPLIED WARRANTIES, INCLUDING, BUT NOT LIMITED TO, THE IMPLIED WARRANTIES OF MERCHANTABILITY AND
FITNESS FOR A PARTICULAR PURPOSE ARE DISCLAIMED. IN NO EVENT SHALL THE COPYRIGHT HOLDER OR
CONTRIBUTORS BE LIABLE FOR ANY DIRECT, INDIRECT, INCIDENTAL, SPECIAL, EXEMPLARY, OR
CONSEQUENTIAL DAMAGES (INCLUDING, BUT NOT LIMITED TO, PROCUREMENT OF SUBSTITUTE GOODS OR
SERVICES; LOSS OF USE, DATA, OR PROFITS; OR BUSINESS INTERRUPTION) HOWEVER CAUSED AND ON ANY
THEORY OF LIABILITY, WHETHER IN CONTRACT, STRICT LIABILITY, OR TORT (INCLUDING NEGLIGENCE OR
OTHERWISE) ARISING IN ANY WAY OUT OF THE USE OF THIS SOFTWARE, EVEN IF ADVISED OF THE
POSSIBILITY OF SUCH DAMAGE.
"""


def features(prefix):
    """The QT_FEATURE_* values of the prefix's Core, Gui and Widgets."""
    found = {}
    for header in sorted(glob.glob(os.path.join(prefix, "include", "Qt*", "**", "qt*-config*.h"),
                                   recursive=True)):
        if not re.search(r"qt(core|gui|widgets)-config", os.path.basename(header)):
            continue
        for name, value in re.findall(r"#define QT_FEATURE_(\w+) (-?1)", open(header).read()):
            found[name] = found.get(name, False) or value == "1"
    if not found:
        sys.exit(f"windows-notices: no Qt configuration headers under {prefix}")
    return lambda name: found.get(name, False)


def main(source, prefix):
    has = features(prefix)
    entries = []
    for path in sorted(glob.glob(os.path.join(source, "**", "qt_attribution.json"), recursive=True)):
        data = json.loads(open(path, encoding="utf-8").read(), strict=False)
        for entry in data if isinstance(data, list) else [data]:
            rule = RULES.get(entry["Id"], "unknown")
            if entry["Id"].lower().startswith("vulkan"):
                rule = None  # Vulkan (its API registry, its allocator) is left out of this build
            if rule == "unknown":
                sys.exit(f"windows-notices: no rule for {entry['Id']} ({path})")
            if rule is not None and rule(has):
                entries.append((entry, os.path.dirname(path)))
    entries.sort(key=lambda e: e[0]["Name"].lower())

    version = re.search(r"qtbase-everywhere-src-([\d.]+)", os.path.abspath(source))
    out = sys.stdout
    out.write("Third-party notices for Vellacor for Windows\n"
              "============================================\n\n"
              f"Vellacor.exe contains Qt {version.group(1) if version else ''} (see "
              "Qt-NOTICE.txt), built with the following\nthird-party code that Qt bundles, "
              "and the mingw-w64 runtime. Their notices follow.\n\n")
    for entry, _ in entries:
        out.write(f"  - {entry['Name']}\n")
    out.write("  - mingw-w64 runtime and winpthreads\n\n")
    for entry, folder in entries:
        title = entry["Name"]
        out.write(f"\n{title}\n{'-' * len(title)}\n")
        if entry.get("Version"):
            out.write(f"Version: {entry['Version']}\n")
        out.write(f"Licence: {entry.get('License', 'see below')}\n")
        copyright_text = entry.get("Copyright", "")
        if isinstance(copyright_text, list):
            copyright_text = "\n".join(copyright_text)
        if entry.get("CopyrightFile"):
            copyright_text = open(os.path.join(folder, entry["CopyrightFile"]),
                                  encoding="utf-8", errors="replace").read()
        if copyright_text.strip():
            out.write(f"\n{copyright_text.strip()}\n")
        licence_files = entry.get("LicenseFiles") or (
            [entry["LicenseFile"]] if entry.get("LicenseFile") else [])
        for name in licence_files:
            text = open(os.path.join(folder, name), encoding="utf-8", errors="replace").read()
            out.write("\n" + text.strip() + "\n")
    out.write("\n\n" + MINGW)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: windows-notices.py QT_SOURCE QT_PREFIX")
    main(sys.argv[1], sys.argv[2])
