# The release: `cmake --build --preset windows --target release` (also part
# of the default build) packs Vandrix.exe with README.txt (for Windows users),
# LICENSE.txt and SHA256SUMS into Vandrix-<version>.zip in the build folder.
# The .txt files get CR LF line ends. The zip is reproducible: names sorted,
# fixed timestamps and permissions, so the same sources give the same bytes
# (Debian's python3, standard library only).
set(VANDRIX_RELEASE_ZIP ${CMAKE_BINARY_DIR}/Vandrix-${PROJECT_VERSION}.zip)
set(VANDRIX_RELEASE_PACKER ${CMAKE_BINARY_DIR}/release/pack.py)
set(VANDRIX_RELEASE_README ${CMAKE_BINARY_DIR}/release/README.txt)
configure_file(${CMAKE_SOURCE_DIR}/resources/README.txt.in ${VANDRIX_RELEASE_README} @ONLY)

file(WRITE ${VANDRIX_RELEASE_PACKER} [=[
"""pack.py ZIP NAME=FILE...: packs the files, plus SHA256SUMS, into ZIP.
A NAME ending in .txt is text for Windows: its lines end in CR LF."""
import hashlib, os, sys, time, zipfile

out, pairs = sys.argv[1], [a.split("=", 1) for a in sys.argv[2:]]
files = {}
for name, path in pairs:
    if not os.path.isfile(path):
        sys.exit("release: %s is missing (%s); it is packed into the release, "
                 "so write it first" % (name, path))
    with open(path, "rb") as f:
        files[name] = f.read()
    if name.endswith(".txt"):
        files[name] = files[name].replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
files["SHA256SUMS"] = "".join(
    "%s  %s\n" % (hashlib.sha256(data).hexdigest(), name)
    for name, data in sorted(files.items())).encode()

# The time stored for every file: SOURCE_DATE_EPOCH if set, else a fixed day.
epoch = os.environ.get("SOURCE_DATE_EPOCH")
stamp = time.gmtime(int(epoch))[:6] if epoch else (2026, 1, 1, 0, 0, 0)
with zipfile.ZipFile(out + ".tmp", "w") as z:
    for name in sorted(files):
        info = zipfile.ZipInfo(name, date_time=stamp)
        info.create_system = 3  # Unix, so the permissions below are kept
        info.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, files[name], compresslevel=9)
os.replace(out + ".tmp", out)
print("release: %s (%s)" % (out, ", ".join(sorted(files))))
]=])

add_custom_target(release ALL
  COMMAND /usr/bin/python3 ${VANDRIX_RELEASE_PACKER} ${VANDRIX_RELEASE_ZIP}
          $<TARGET_FILE_NAME:vandrix>=$<TARGET_FILE:vandrix>
          README.txt=${VANDRIX_RELEASE_README}
          LICENSE.txt=${CMAKE_SOURCE_DIR}/LICENSE
  BYPRODUCTS ${VANDRIX_RELEASE_ZIP}
  COMMENT "Packing Vandrix-${PROJECT_VERSION}.zip"
  VERBATIM)
add_dependencies(release vandrix)
