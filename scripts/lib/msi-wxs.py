#!/usr/bin/env python3
"""Writes the WiX source of the Windows installer for a staged folder (the zip's contents).

Usage: msi-wxs.py <stage folder> <version> <publisher> <icon.ico> <output.wxs>
Run wixl in the stage folder: the sources are named relative to it. Every file below the stage is installed into "C:\\Program Files\\Varnel Link Manager" in the same
layout; a Start menu entry starts the program from there.
"""
import os
import sys
import uuid
from xml.sax.saxutils import quoteattr

# Fixed for good: a newer installer finds and replaces an older one by it.
UPGRADE_CODE = "90DA6C3B-AE51-4484-993A-C0CED735D378"
# Component codes derive from the installed path, so each file keeps its code from one build to the next.
COMPONENT_NAMESPACE = uuid.UUID("0EF15525-796B-4CD4-94CD-20F462399E48")
PRODUCT = "Varnel Link Manager"
EXE = "varnel-link-manager.exe"


def ident(prefix, relative):
    return prefix + "_" + uuid.uuid5(COMPONENT_NAMESPACE, relative).hex


def main():
    stage, version, publisher, icon, output = sys.argv[1:6]
    if not os.path.isfile(os.path.join(stage, EXE)):
        sys.exit(f"{EXE} is not in {stage}")
    components = []
    lines = []

    def walk(folder, relative, depth):
        pad = "  " * depth
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            rel = f"{relative}/{name}" if relative else name
            if os.path.isdir(path):
                lines.append(f'{pad}<Directory Id="{ident("d", rel)}" Name={quoteattr(name)}>')
                walk(path, rel, depth + 1)
                lines.append(f"{pad}</Directory>")
            else:
                cid = ident("c", rel)
                components.append(cid)
                guid = str(uuid.uuid5(COMPONENT_NAMESPACE, rel)).upper()
                lines.append(f'{pad}<Component Id="{cid}" Guid="{guid}" Win64="yes">')
                lines.append(f'{pad}  <File Id="{ident("f", rel)}" Name={quoteattr(name)} '
                             f'Source={quoteattr(rel)} KeyPath="yes"/>')
                lines.append(f"{pad}</Component>")

    walk(stage, "", 5)
    refs = "\n".join(f'      <ComponentRef Id="{c}"/>' for c in components)
    tree = "\n".join(lines)
    wxs = f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="{PRODUCT}" Language="1033" Version="{version}" Manufacturer={quoteattr(publisher)}
           UpgradeCode="{UPGRADE_CODE}">
    <Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine"
             Description="{PRODUCT} {version}" Manufacturer={quoteattr(publisher)}/>
    <Media Id="1" Cabinet="program.cab" EmbedCab="yes"/>
    <MajorUpgrade DowngradeErrorMessage="A newer version of {PRODUCT} is already installed."/>
    <Icon Id="program.ico" SourceFile={quoteattr(os.path.relpath(icon, stage))}/>
    <Property Id="ARPPRODUCTICON" Value="program.ico"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFiles64Folder">
        <Directory Id="INSTALLDIR" Name="{PRODUCT}">
{tree}
        </Directory>
      </Directory>
      <Directory Id="ProgramMenuFolder">
        <Component Id="StartMenuEntry" Guid="{uuid.uuid5(COMPONENT_NAMESPACE, 'start menu')}" Win64="yes">
          <Shortcut Id="StartMenuShortcut" Name="{PRODUCT}" Target="[INSTALLDIR]{EXE}"
                    WorkingDirectory="INSTALLDIR" Icon="program.ico"/>
          <RegistryValue Root="HKLM" Key="Software\\{PRODUCT}" Name="StartMenuEntry" Type="integer" Value="1"
                         KeyPath="yes"/>
        </Component>
      </Directory>
    </Directory>
    <Feature Id="Program" Title="{PRODUCT}" Level="1">
{refs}
      <ComponentRef Id="StartMenuEntry"/>
    </Feature>
  </Product>
</Wix>
"""
    with open(output, "w", encoding="utf-8") as f:
        f.write(wxs)


if __name__ == "__main__":
    main()
