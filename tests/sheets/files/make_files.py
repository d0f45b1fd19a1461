#!/usr/bin/env python3
"""Writes the sheets of this folder the way offices make them: with LibreOffice
(under LANG=pt_BR.UTF-8), Gnumeric's ssconvert, openpyxl and xlsxwriter, and
CSV files in the character sets and shapes that spreadsheet programs and old
systems save. Each NAME has its NAME.expected beside it, written by hand: the
cells the reader must give, or the message of its refusal.

    make_files.py OUTDIR [--only-programs]

The test reads the committed files, and once more the files this script
writes at test time with the programs installed there. A program that is
missing is skipped.
"""
import codecs
import io
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

OUT = sys.argv[1]
ONLY_PROGRAMS = "--only-programs" in sys.argv
os.makedirs(OUT, exist_ok=True)


def path(name):
    return os.path.join(OUT, name)


def write(name, data):
    with open(path(name), "wb") as f:
        f.write(data)


# A register typed in LibreOffice: a hidden first sheet of instructions, runs
# of spaces, a text in two paragraphs, a CPF typed as a number (its leading
# zero gone), a date, and a formula with its result.
FODS = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
<number:date-style style:name="N37"><number:day number:style="long"/><number:text>/</number:text>
<number:month number:style="long"/><number:text>/</number:text><number:year number:style="long"/></number:date-style>
<style:style style:name="ce1" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="N37"/>
<style:style style:name="ta1" style:family="table"><style:table-properties table:display="true"/></style:style>
<style:style style:name="ta2" style:family="table"><style:table-properties table:display="false"/></style:style>
</office:automatic-styles>
<office:body><office:spreadsheet>
<table:table table:name="Instruções" table:style-name="ta2"><table:table-row>
<table:table-cell office:value-type="string"><text:p>Preencha a planilha Bolsistas</text:p></table:table-cell>
</table:table-row></table:table>
<table:table table:name="Bolsistas" table:style-name="ta1">
<table:table-row>
<table:table-cell office:value-type="string"><text:p>Nome</text:p></table:table-cell>
<table:table-cell office:value-type="string"><text:p>CPF</text:p></table:table-cell>
<table:table-cell office:value-type="string"><text:p>Dt. Nasc.</text:p></table:table-cell>
<table:table-cell office:value-type="string"><text:p>Conta</text:p></table:table-cell>
</table:table-row>
<table:table-row>
<table:table-cell office:value-type="string"><text:p>MARIA<text:s text:c="3"/>DAS DORES</text:p></table:table-cell>
<table:table-cell office:value-type="float" office:value="1234567890"><text:p>1234567890</text:p></table:table-cell>
<table:table-cell table:style-name="ce1" office:value-type="date" office:date-value="1979-03-14"><text:p>14/03/1979</text:p></table:table-cell>
<table:table-cell table:formula="of:=[.B2]+1" office:value-type="float" office:value="1234567891"><text:p>1234567891</text:p></table:table-cell>
</table:table-row>
<table:table-row>
<table:table-cell office:value-type="string"><text:p>JOSÉ DA SILVA</text:p><text:p>Rua Ipê, 2</text:p></table:table-cell>
<table:table-cell/>
<table:table-cell table:style-name="ce1" office:value-type="date" office:date-value="2001-03-14T00:00:00"><text:p>14/03/2001</text:p></table:table-cell>
</table:table-row>
</table:table>
</office:spreadsheet></office:body></office:document>
"""


def libreoffice(source, to, outdir):
    soffice = shutil.which("soffice")
    if not soffice:
        return False
    env = dict(os.environ, LANG="pt_BR.UTF-8", LC_ALL="pt_BR.UTF-8")
    with tempfile.TemporaryDirectory() as profile:
        subprocess.run([soffice, "-env:UserInstallation=file://" + profile, "--headless", "--convert-to", to,
                        "--outdir", outdir, source], env=env, check=True, capture_output=True, timeout=300)
    return True


def programs():
    with tempfile.TemporaryDirectory() as work:
        fods = os.path.join(work, "libreoffice.fods")
        with open(fods, "w", encoding="utf-8") as f:
            f.write(FODS)
        if libreoffice(fods, "ods", OUT) and libreoffice(fods, "xlsx", OUT):
            # Saved as Windows-1252 text with ';', as an office sends it.
            ansi = os.path.join(work, "libreoffice_ansi.csv")
            shutil.copy(path("libreoffice.ods"), os.path.join(work, "libreoffice_ansi.ods"))
            libreoffice(os.path.join(work, "libreoffice_ansi.ods"), "csv:Text - txt - csv (StarCalc):59,34,1,1,,0,false,true,false,false,false,2", work)
            shutil.copy(ansi if os.path.exists(ansi) else os.path.join(work, "libreoffice_ansi-Bolsistas.csv"),
                        path("libreoffice_ansi.csv"))
            ssconvert = shutil.which("ssconvert")
            if ssconvert:
                for ext in ("xlsx", "ods"):
                    subprocess.run([ssconvert, path("libreoffice.xlsx"), path("gnumeric." + ext)], check=True,
                                   capture_output=True, timeout=300)
    try:
        openpyxl_file()
    except ImportError:
        pass
    try:
        xlsxwriter_file()
    except ImportError:
        pass


def openpyxl_file():
    import datetime
    import openpyxl
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Vazia"
    data = wb.create_sheet("Bolsistas")
    data.append(["Nome", "CPF", "Data de Nascimento", "Sexo (F/M)"])
    data.append(["FULANO  DE TAL", 1234567890, datetime.datetime(1980, 1, 2), "M"])
    data.append(["ANA", "=B2+1", datetime.date(1981, 5, 6), "F"])
    hidden = wb.create_sheet("Oculta")
    hidden["A1"] = "escondida"
    hidden.sheet_state = "hidden"
    wb.save(path("openpyxl.xlsx"))


def xlsxwriter_file():
    import datetime
    import xlsxwriter
    wb = xlsxwriter.Workbook(path("xlsxwriter.xlsx"))
    hidden = wb.add_worksheet("Oculta")
    hidden.write("A1", "escondida")
    hidden.hide()
    ws = wb.add_worksheet("Bolsistas")
    ws.activate()
    date = wb.add_format({"num_format": "dd/mm/yyyy"})
    ws.write_row(0, 0, ["Nome", "CPF", "Nascimento", "Total"])
    ws.write_string(1, 0, "CONCEIÇÃO  SOUZA")
    ws.write_number(1, 1, 1234567890)
    ws.write_datetime(1, 2, datetime.datetime(1979, 3, 14), date)
    ws.write_formula(1, 3, "=1+1", None, 2)
    ws.write_formula(2, 3, "=B2*2")
    wb.close()


# CSV files as other systems save them.
NAMES = ["JOÃO DA CONCEIÇÃO", "MARIA JOSÉ DE ASSUNÇÃO", "ANTÔNIO GONÇALVES", "LUÍS MAGALHÃES", "ÁLVARO ESTÊVÃO",
         "José Antônio Guimarães"]


def csv_text(names, sep=";", newline="\r\n"):
    rows = ["Nome" + sep + "CPF"] + [n + sep + str(100 + i) for i, n in enumerate(names)]
    return newline.join(rows) + newline


def csv_files():
    write("cp1252.csv", csv_text(NAMES + ["D´ÁVILA", "1º ANO – “TURMA” ª"]).encode("cp1252"))
    write("cp850.csv", csv_text(NAMES).encode("cp850"))
    write("macroman.csv", csv_text(NAMES).encode("mac_roman"))
    # Capitals only, a line that passes before the one that does not.
    write("cp850_maiusculas.csv", csv_text(["JOÃO", "SEBASTIÃO", "GUIMARÃES"]).encode("cp850"))
    write("utf8_bom.csv", codecs.BOM_UTF8 + csv_text(NAMES, ",").encode("utf-8"))
    # "Unicode text": UTF-16 LE with its mark, TAB between fields, CR LF.
    write("texto_unicode.txt", codecs.BOM_UTF16_LE + csv_text(NAMES, "\t").encode("utf-16-le"))
    write("utf16be.csv", codecs.BOM_UTF16_BE + csv_text(NAMES).encode("utf-16-be"))
    write("utf16_danificado.csv", codecs.BOM_UTF16_LE + "Nome;CPF\r\n".encode("utf-16-le") + b"\x00\xd8A\x00")
    # The separator named in the first line, which is not a heading.
    write("sep_virgula.csv", ("sep=,\r\n" + csv_text(["SILVA; JOSÉ"], ",")).encode("utf-8"))
    write("sep_tab.csv", ("sep=\t\n" + csv_text(["SILVA, JOSÉ; ANA"], "\t", "\n")).encode("utf-8"))
    write("sep_aspas.csv", ('"sep=;"\r\n' + csv_text(["A,B"])).encode("cp1252"))
    write("nulo.csv", csv_text(["ANA", "BIA"]).encode("utf-8").replace(b"BIA", b"B\x00A"))
    write("indefinido.csv", csv_text(["ANA", "JOS\x81"]).encode("latin-1"))
    write("controle.csv", csv_text(["ANA", "CARLA", "JO\x96O"]).encode("latin-1"))


def damage(source, target, entry, old, new):
    """A copy of a zip container whose entry (stored, not compressed) has a
    byte changed after its checksum was taken."""
    with zipfile.ZipFile(source) as z:
        parts = [(i, z.read(i.filename)) for i in z.infolist()]
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as z:
        for info, data in parts:
            z.writestr(info.filename, data,
                       zipfile.ZIP_STORED if info.filename == entry else zipfile.ZIP_DEFLATED)
    data = buffer.getvalue()
    assert data.count(old) == 1, (target, old)
    write(target, data.replace(old, new))


ODS_HEAD = ('<?xml version="1.0"?><office:document-content '
            'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
            'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
            'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:spreadsheet>'
            '<table:table table:name="A">')
ODS_TAIL = '</table:table></office:spreadsheet></office:body></office:document-content>'


def ods(name, content):
    with zipfile.ZipFile(path(name), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
        z.writestr("content.xml", content)


SPREADSHEETML = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
RELATIONSHIPS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def xlsx(name, dimension, rows):
    with zipfile.ZipFile(path(name), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("xl/workbook.xml", '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="A" sheetId="1" r:id="rId1"/>'
                   '</sheets></workbook>' % (SPREADSHEETML, RELATIONSHIPS))
        z.writestr("xl/_rels/workbook.xml.rels", '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/'
                   'relationships"><Relationship Id="rId1" Type="%s/worksheet" Target="worksheets/sheet1.xml"/>'
                   '</Relationships>' % RELATIONSHIPS)
        z.writestr("xl/worksheets/sheet1.xml", '<worksheet xmlns="%s"><dimension ref="%s"/><sheetData>%s</sheetData>'
                   '</worksheet>' % (SPREADSHEETML, dimension, rows))


def inline(ref, text):
    return '<c r="%s" t="inlineStr"><is><t>%s</t></is></c>' % (ref, text)


def hand_made():
    # The largest sheet named as the used range, with two cells.
    xlsx("xfd.xlsx", "A1:XFD1048576", '<row r="1">%s</row><row r="1048576">%s</row>'
         % (inline("A1", "CPF"), inline("XFD1048576", "x")))
    # A cell in the last column of each of 300 rows.
    xlsx("xfd_linhas.xlsx", "A1:XFD300", "".join('<row r="%d">%s</row>' % (r, inline("XFD%d" % r, "x"))
                                                 for r in range(1, 301)))
    # Two thousand million spaces, in a few bytes.
    ods("espacos.ods", ODS_HEAD + '<table:table-row><table:table-cell office:value-type="string"><text:p>'
        '<text:s text:c="2000000000"/></text:p></table:table-cell></table:table-row>' + ODS_TAIL)
    # A row repeated a million times with a cell in the last column.
    ods("linha_repetida.ods", ODS_HEAD + '<table:table-row table:number-rows-repeated="1000000">'
        '<table:table-cell table:number-columns-repeated="16383"/><table:table-cell office:value-type="string">'
        '<text:p>x</text:p></table:table-cell></table:table-row>' + ODS_TAIL)
    # A formula without its result, as programs that do not calculate write it.
    ods("formula_sem_valor.ods", ODS_HEAD + '<table:table-row><table:table-cell office:value-type="string"><text:p>Nome'
        '</text:p></table:table-cell><table:table-cell table:formula="of:=1+1"/></table:table-row>' + ODS_TAIL)
    ods("cortado.ods", ODS_HEAD + '<table:table-row><table:table-cell')
    ods("sem_tabela.ods", ODS_HEAD.replace('<table:table table:name="A">', '') + '<table:table-row><table:table-cell '
        'office:value-type="string"><text:p>x</text:p></table:table-cell></table:table-row>' + ODS_TAIL)
    # Dates with a time part of zero, and with one; a date that is none.
    ods("datas.ods", ODS_HEAD + "".join(
        '<table:table-row><table:table-cell office:value-type="date" office:date-value="%s"><text:p>%s</text:p>'
        '</table:table-cell></table:table-row>' % (v, v)
        for v in ("2001-03-14T00:00:00", "1979-03-14T10:30:00", "2001-02-30")) + ODS_TAIL)
    xlsx("datas.xlsx", "A1:A2", '<row r="1"><c r="A1" t="d"><v>2001-03-14T00:00:00</v></c></row>'
         '<row r="2"><c r="A2" t="d"><v>2001-02-30T00:00:00</v></c></row>')
    if os.path.exists(path("openpyxl.xlsx")):
        damage(path("openpyxl.xlsx"), "danificado.xlsx", "xl/worksheets/sheet2.xml", b"FULANO", b"FULANN")
        damage(path("openpyxl.xlsx"), "danificado_fora.xlsx", "docProps/core.xml", b"openpyxl", b"openpyxL")


if __name__ == "__main__":
    programs()
    if not ONLY_PROGRAMS:
        csv_files()
        hand_made()
