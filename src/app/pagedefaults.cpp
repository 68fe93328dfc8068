#include "app/pagedefaults.h"

#include "platform/cp949.h"

#include <QString>

#include <initializer_list>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<QByteArray> ToCp949Lines(std::initializer_list<QString> lines)
{
    QList<QByteArray> out;
    out.reserve(qsizetype(lines.size()));
    for (const QString& line : lines)
        out.append(cp949::FromUnicode(line));
    return out;
}

} // namespace

QList<QByteArray> NewPageSkeleton()
{
    return ToCp949Lines({
        u"<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; charset=euc-kr\">"_s,
        u"<style type=\"text/css\"><!--"_s,
        u"BODY,TD,SELECT,input,DIV,form,TEXTAREA,option {font-size:9pt; "
        u"font-family:돋움,굴림,verdana,tahoma;line-height:180%;color:333333}"_s,
        u"A:link {color:#4077a0;text-decoration:none;font-weight: bold}"_s,
        u"A:visited {color:#4077a0;text-decoration:none;font-weight: bold}"_s,
        u"A:hover{color:#990000;text-decoration:none;font-weight: bold}"_s,
        u".title {BORDER-BOTTOM: #ccc 1px solid; MARGIN-BOTTOM: 5px; COLOR: #4070aa; "
        u"TEXT-ALIGN: left; font-weight: bold;}"_s,
        u".subttl {BORDER-BOTTOM: #f7d9a2 1px solid; MARGIN-BOTTOM: 5px; TEXT-ALIGN: left; "
        u"font-weight: bold;}"_s,
        u".zqsource {TEXT-ALIGN: left; font-family:\"돋움체\", Seoul;line-height:120%; "
        u"font-size:12px}"_s,
        u"--></style>"_s,
        u"</HEAD><BODY bgcolor=\"#f4f4ec\">"_s,
        u"<DIV class=\"title\"> \u25A0 </DIV>"_s,
        u"<table width=\"620\" border=\"0\" align=\"center\">"_s,
        u"  <tr>"_s,
        u"    <td>"_s,
        u"      <p>&nbsp;</p>"_s,
        u"      <p>&nbsp;</p>"_s,
        u"\t  </td>"_s,
        u"  </tr>"_s,
        u"</table>"_s,
        u"<p>&nbsp;</p>"_s,
        u"</BODY></HTML>"_s,
    });
}

QList<QByteArray> FolderNoteDefault()
{
    // "title" in line 9 is literal text: nothing is substituted in a folder note.
    return ToCp949Lines({
        u"<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; charset=euc-kr\">"_s,
        u"<style type=\"text/css\"><!--"_s,
        u"BODY,TD,SELECT,input,DIV,form,TEXTAREA,option {font-size:9pt; "
        u"font-family:돋움,굴림,verdana,tahoma;line-height:180%;color:333333}"_s,
        u"A:link {color:#4077a0;text-decoration:none;font-weight: bold}"_s,
        u"A:visited {color:#4077a0;text-decoration:none;font-weight: bold}"_s,
        u"A:hover{color:#990000;text-decoration:none;font-weight: bold}"_s,
        u"--></style></HEAD><BODY bgcolor=\"#f4f4ec\">"_s,
        u"<TABLE cellSpacing=1 cellPadding=0 width=\"100%\" border=0> <TR bgColor=#eaeadc>"_s,
        u"<TD><DIV><font color=\"#6d9ecf\">&nbsp;\u25A0</font><STRONG><FONT color=#376193> "
        u"title</FONT></STRONG></DIV>"_s,
        u"</TD></TR></TABLE>"_s,
        u"<DIV></DIV>"_s,
        u"<DIV></DIV>"_s,
        u"</BODY></HTML>"_s,
    });
}
