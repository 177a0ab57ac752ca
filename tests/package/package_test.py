#!/usr/bin/env python3
"""The Windows Installer package as an administrator deploys it, under Wine's
own msiexec in a 32-bit Wine prefix of the test's own (its wineserver is
started and stopped here, apart from the shared prefix of the test run):
silent installs into the default folder and into a given one, the
Add/Remove Programs entry, the installed plug-in driven by avexhost beside the
stand-in engine, major upgrades that keep the settings, an earlier version
refused, and uninstalls that leave the settings as they were.

  package_test.py BUILD_DIR PACKAGE FILES_DIR [unittest arguments]

BUILD_DIR is the win32 build (avexhost.exe, csdk.dll and the engine's data),
PACKAGE the AVex-<version>.msi it made, FILES_DIR the files that package was
built from; the test builds packages of other versions from them."""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
WINE_RUN = HERE.parent.parent / "scripts" / "wine-run"
BUILD_MSI = HERE.parent.parent / "packaging" / "build-msi"
DEMO = HERE.parent / "demo"
ARGS = None

DEFAULT_FOLDER = ("Program Files", "Aurivex for Corvane")
INSTALLED_FILES = {"AVex.dll", "aurivex.chm"}
PUBLISHER = "Tarn Software"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
SETTINGS_KEY = r"HKLM\Software\Tarn Software\Aurivex for Corvane"
SETTINGS_TREE = r"HKEY_LOCAL_MACHINE\Software\Tarn Software\Aurivex for Corvane"
VENDOR_KEY = r"HKLM\SOFTWARE\Orlo Ltd\Aurivex PlugIn"
# msiexec's answer when a launch condition stops the install (1603), cut to
# its low byte on the way from Wine to Linux.
INSTALL_FAILURE_EXIT_CODE = 1603 & 0xFF


def product_name(version):
    major, minor = version.split(".")[:2]
    return "Aurivex %s.%s for Corvane" % (major, minor)


class Machine:
    """A fresh 32-bit Wine prefix under the build folder, with its own
    wineserver kept up while the tests run."""

    def __init__(self, folder):
        self.prefix = folder
        # msiexec /qn and the harness show nothing: no display for them.
        self.env = {key: value for key, value in os.environ.items() if key != "DISPLAY"}
        self.env.update(WINEPREFIX=str(self.prefix), AVEX_WINEPREFIX=str(self.prefix),
                        WINEARCH="win32", WINEDEBUG="-all")
        # The server of an interrupted run may still hold the old prefix.
        self.shut_down()
        shutil.rmtree(self.prefix, ignore_errors=True)
        self.prefix.mkdir(parents=True)
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)
        # The prefix's background services inherit the output of the first
        # program: it must be one whose output nobody waits for the end of.
        subprocess.run([str(WINE_RUN), "wineboot", "-i"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.drive = self.prefix / "drive_c"

    def shut_down(self):
        for flag in ("-k", "-w"):
            subprocess.run(["wineserver", flag], env=self.env, stderr=subprocess.DEVNULL)

    def remove(self):
        self.shut_down()
        shutil.rmtree(self.prefix, ignore_errors=True)

    def wine(self, *argv):
        """Exit code and output (without carriage returns) of a Windows program."""
        done = subprocess.run([str(WINE_RUN), *argv], env=self.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        return done.returncode, done.stdout.decode("latin-1").replace("\r", "")

    def windows_path(self, path):
        """A path below drive C:, as Windows names it."""
        return "C:\\" + str(path.relative_to(self.drive)).replace("/", "\\")

    def msiexec(self, *arguments):
        return self.wine("msiexec", *arguments, "/qn")[0]

    def registry_tree(self, key):
        """Every key below `key` with its values as text, or None when it is missing."""
        code, output = self.wine("reg", "query", key, "/s")
        if code != 0:
            return None
        tree, current = {}, None
        for line in output.splitlines():
            if line.startswith("HKEY_"):
                current = tree.setdefault(line, {})
                continue
            value = re.match(r"^    (.+?)    (REG_[A-Z_]+)(?:    (.*))?$", line)
            if value and current is not None:
                current[value.group(1)] = value.group(3) or ""
        return tree

    def uninstall_entries(self):
        """The Add/Remove Programs entries of our publisher."""
        tree = self.registry_tree(UNINSTALL_KEY) or {}
        return [values for values in tree.values() if values.get("Publisher") == PUBLISHER]


class PackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.machine = Machine(ARGS.build / "msi-wineprefix")
        cls.addClassCleanup(cls.machine.remove)
        cls.packages = Path(tempfile.mkdtemp(prefix="avex-packages."))
        cls.addClassCleanup(shutil.rmtree, cls.packages, ignore_errors=True)
        cls.package = ARGS.package
        cls.version = cls.read_property(cls.package, "ProductVersion")
        major, minor = cls.version.split(".")[:2]
        cls.later_version = "%s.%d" % (major, int(minor) + 1)
        # The later package's plug-in differs from the built one by bytes
        # after its last section, which the loader ignores, so the test
        # sees which package's files are in place.
        later_files = cls.packages / "later-files"
        shutil.copytree(ARGS.files, later_files)
        with open(later_files / "AVex.dll", "ab") as plugin:
            plugin.write(b"later package")
        cls.files = {cls.package: ARGS.files}
        cls.later = cls.build_package(cls.later_version, "later", later_files)
        cls.rebuilt = cls.build_package(cls.version, "rebuilt", ARGS.files)

    @classmethod
    def build_package(cls, version, name, files):
        output = cls.packages / ("AVex-%s-%s.msi" % (version, name))
        subprocess.run([str(BUILD_MSI), str(files), version, product_name(version), str(output)], check=True)
        cls.files[output] = files
        return output

    @staticmethod
    def read_property(package, name):
        table = subprocess.run(["msiinfo", "export", str(package), "Property"], check=True,
                               capture_output=True, text=True).stdout
        for line in table.splitlines():
            key, _, value = line.partition("\t")
            if key == name:
                return value
        raise AssertionError("%s has no property %s" % (package, name))

    def setUp(self):
        self.engine = self.machine.drive / "Corvane" / "Engine"
        self.traffic = self.machine.drive / "traffic"
        for folder in (self.engine, self.traffic):
            shutil.rmtree(folder, ignore_errors=True)
        self.addCleanup(self.clear_machine)

    def clear_machine(self):
        """What a failed test left installed must not fail the next one."""
        for package in (self.package, self.rebuilt, self.later):
            self.machine.msiexec("/x", "Z:" + str(package))
        for key in (SETTINGS_KEY, VENDOR_KEY):
            self.machine.wine("reg", "delete", key, "/f")

    def install(self, package, *properties):
        self.assertEqual(self.machine.msiexec("/i", "Z:" + str(package), *properties), 0, package)

    def uninstall(self, package):
        self.assertEqual(self.machine.msiexec("/x", "Z:" + str(package)), 0, package)

    def assert_installed(self, folder, package, version):
        """The two files of `package` in `folder` and one entry that names it."""
        for name in INSTALLED_FILES:
            self.assertEqual((folder / name).read_bytes(), (self.files[package] / name).read_bytes(), name)
        entries = self.machine.uninstall_entries()
        self.assertEqual([(e.get("DisplayName"), e.get("DisplayVersion")) for e in entries],
                         [(product_name(version), version)])

    def assert_removed(self):
        self.assertEqual(self.machine.uninstall_entries(), [])
        self.assertIsNone(self.machine.registry_tree(r"HKLM\Software\Tarn Software\Aurivex for Corvane Installer"))

    def stage_engine(self):
        """The proxy's engine folder with the stand-in engine, its data and
        the host harness; the school's settings and traffic beside it."""
        self.engine.mkdir(parents=True)
        for name in ("csdk.dll", "csdk_lexicon.txt", "avexhost.exe"):
            shutil.copy(ARGS.build / name, self.engine)
        for name in ("URLCache", "Stlst"):
            shutil.copytree(ARGS.build / name, self.engine / name)
        shutil.copytree(DEMO, self.traffic)
        (self.traffic / "checks.txt").write_text(
            "alice\t10.0.4.17\thttp://homework.example/answers\ttext/html\t-\n"
            "alice\t10.0.4.17\thttp://games.example/poker-night\ttext/html\tpages/poker-night.html\n")
        code, output = self.machine.wine("regedit", "/S", self.machine.windows_path(self.traffic / "settings.reg"))
        self.assertEqual(code, 0, output)

    def host(self, *arguments):
        """avexhost in the engine folder on the installed plug-in."""
        code, output = self.machine.wine(self.machine.windows_path(self.engine / "avexhost.exe"),
                                         self.machine.windows_path(self.engine / "AVex.dll"), *arguments)
        self.assertEqual(code, 0, output)
        return output

    def decisions(self):
        """The engine process's result for each of the checks, after its start."""
        output = self.host("--start-type", "0", "--users", self.machine.windows_path(self.traffic / "users.txt"),
                           "--requests", self.machine.windows_path(self.traffic / "checks.txt"))
        self.assertIn("PlugStart(0, 0) = 1", output)
        return re.findall(r"^ *\d+  \S+ +\S+ +(\S+)", output, re.MULTILINE)

    def raise_gambling_level(self):
        """A configuration change that the engine process applies and saves."""
        record = self.machine.windows_path(self.traffic / "engine.cfg")
        self.host("--start-type", "0", "config", "get", record)
        code, output = self.machine.wine(self.machine.windows_path(self.engine / "avexhost.exe"),
                                         "config", "edit", record, "level", "Gambling", "99")
        self.assertEqual(code, 0, output)
        self.host("--start-type", "0", "config", "apply", record)

    def settings(self):
        return {key: self.machine.registry_tree(key) for key in (SETTINGS_KEY, VENDOR_KEY)}

    def test_silent_install_puts_the_two_files_into_the_default_folder_and_uninstall_removes_them(self):
        program_files = sorted(p.name for p in (self.machine.drive / "Program Files").iterdir())
        self.install(self.package)
        folder = self.machine.drive.joinpath(*DEFAULT_FOLDER)
        self.assertEqual({p.name for p in folder.iterdir()}, INSTALLED_FILES)
        self.assert_installed(folder, self.package, self.version)
        entry = self.machine.uninstall_entries()[0]
        self.assertEqual(entry.get("Publisher"), PUBLISHER)
        self.assertIn("MsiExec.exe /X", entry.get("UninstallString", ""))

        self.uninstall(self.package)
        self.assertEqual(sorted(p.name for p in (self.machine.drive / "Program Files").iterdir()), program_files)
        self.assert_removed()

    def test_install_into_the_engine_folder_runs_the_plugin_there(self):
        self.stage_engine()
        before = {p.name for p in self.engine.iterdir()}
        self.install(self.package, "INSTALLDIR=" + self.machine.windows_path(self.engine))
        self.assertEqual({p.name for p in self.engine.iterdir()} - before, INSTALLED_FILES)
        self.assertFalse(self.machine.drive.joinpath(*DEFAULT_FOLDER).exists())
        self.assert_installed(self.engine, self.package, self.version)
        # The manual URL entry blocks; the poker page scores above the Gambling level.
        self.assertEqual(self.decisions(), ["Reject", "Reject"])

        self.uninstall(self.package)
        self.assertEqual({p.name for p in self.engine.iterdir()}, before)
        self.assert_removed()

    def test_upgrades_replace_the_files_in_place_and_keep_the_settings(self):
        self.stage_engine()
        self.install(self.package, "INSTALLDIR=" + self.machine.windows_path(self.engine))
        self.raise_gambling_level()
        self.assertEqual(self.decisions(), ["Reject", "Pass"])
        saved = self.settings()
        stored = saved[SETTINGS_KEY]
        self.assertIn("http://homework.example/answers", stored[SETTINGS_TREE + r"\Manual\URLs"])
        self.assertEqual(stored[SETTINGS_TREE + r"\Categories"]["Level_00000002"], "0x63")
        self.assertIsNotNone(saved[VENDOR_KEY])

        # Without INSTALLDIR, as Group Policy deploys it.
        for package, version in ((self.rebuilt, self.version), (self.later, self.later_version)):
            with self.subTest(version=version, package=package.name):
                self.install(package)
                self.assertFalse(self.machine.drive.joinpath(*DEFAULT_FOLDER).exists())
                self.assert_installed(self.engine, package, version)
                self.assertEqual(self.settings(), saved)
                self.assertEqual(self.decisions(), ["Reject", "Pass"])
                saved = self.settings()

        self.uninstall(self.later)
        self.assertFalse(any((self.engine / name).exists() for name in INSTALLED_FILES))
        self.assertTrue((self.engine / "csdk.dll").exists())
        self.assert_removed()
        self.assertEqual(self.settings(), saved)

    def test_an_earlier_version_over_a_later_one_is_refused(self):
        self.install(self.later)
        folder = self.machine.drive.joinpath(*DEFAULT_FOLDER)
        self.assertEqual(self.machine.msiexec("/i", "Z:" + str(self.package)), INSTALL_FAILURE_EXIT_CODE)
        self.assert_installed(folder, self.later, self.later_version)

        self.uninstall(self.later)
        self.assertFalse(folder.exists())
        self.assert_removed()


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("build", type=Path)
    parser.add_argument("package", type=Path)
    parser.add_argument("files", type=Path)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
