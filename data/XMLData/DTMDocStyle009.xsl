<?xml version="1.0" encoding="UTF-8"?>
<!-- The documentation of a data set as a printable HTML page (English).
     The page takes the parts of FDT/DTMStyleForCompleteDocument into the
     template below before it transforms; the root template builds the page. -->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:fdt="x-schema:FDTDataTypesSchema.xml"
    exclude-result-prefixes="fdt">
  <xsl:output method="html" encoding="UTF-8" indent="yes"
      doctype-public="-//W3C//DTD HTML 4.01//EN"/>

  <xsl:template match="/">
    <html lang="en">
      <head>
        <title>Device documentation<xsl:text> - </xsl:text><xsl:value-of select="FDT/@systemTag"/></title>
        <style type="text/css">
@page { size: A4 portrait; margin: 15mm 12mm 15mm 12mm; }
body { font-family: "DejaVu Sans", Arial, Helvetica, sans-serif; font-size: 10pt; color: #000; background: #fff; margin: 0; }
.sheet { max-width: 186mm; margin: 0 auto; padding: 4mm 0; }
h1 { font-size: 16pt; margin: 0 0 2mm 0; border-bottom: 1.5pt solid #000; padding-bottom: 1mm; }
table.head { border-collapse: collapse; margin-bottom: 5mm; }
table.head th { text-align: left; padding: 0.5mm 6mm 0.5mm 0; font-weight: bold; }
table.head td { padding: 0.5mm 0; }
div.group { margin-top: 4mm; }
div.group + div.group { break-before: page; page-break-before: always; }
h2 { font-size: 12pt; margin: 0 0 2mm 0; padding: 1mm 2mm; background: #e4e4e4; border-left: 3pt solid #404040; }
table.params { width: 100%; border-collapse: collapse; }
table.params th { text-align: left; font-size: 9pt; border-bottom: 1pt solid #000; padding: 1mm 2mm; }
table.params td { border-bottom: 0.5pt solid #b0b0b0; padding: 0.8mm 2mm; vertical-align: top; }
table.params tr { break-inside: avoid; page-break-inside: avoid; }
thead { display: table-header-group; }
td.value { font-weight: bold; }
td.status-invalid { color: #a00000; }
span.descr { display: block; font-size: 8pt; color: #404040; }
p.empty { font-style: italic; }
        </style>
      </head>
      <body>
        <div class="sheet">
          <h1>Device documentation</h1>
          <table class="head">
            <tr><th>Device</th><td><xsl:value-of select="FDT/@device"/></td></tr>
            <tr><th>DTM</th><td><xsl:value-of select="FDT/@name"/></td></tr>
            <tr><th>Tag</th><td><xsl:value-of select="FDT/@systemTag"/></td></tr>
            <tr><th>Date</th><td><xsl:value-of select="FDT/@date"/></td></tr>
          </table>
          <xsl:apply-templates select="FDT/DTMStyleForCompleteDocument"/>
          <xsl:apply-templates select="FDT/DocumentGroup"/>
          <xsl:if test="FDT/DocumentVariables/DocumentVariable">
            <div class="group">
              <h2>Parameters</h2>
              <xsl:apply-templates select="FDT/DocumentVariables"/>
            </div>
          </xsl:if>
          <xsl:if test="not(FDT/DocumentGroup) and not(FDT/DocumentVariables/DocumentVariable)">
            <p class="empty">No parameters documented.</p>
          </xsl:if>
        </div>
      </body>
    </html>
  </xsl:template>

  <!-- The documentation's own parts follow this template's body. -->
  <xsl:template match="FDT/DTMStyleForCompleteDocument">
  </xsl:template>

  <xsl:template match="DocumentGroup">
    <div class="group">
      <h2><xsl:value-of select="@title"/></h2>
      <xsl:apply-templates select="DocumentVariables"/>
    </div>
  </xsl:template>

  <xsl:template match="DocumentVariables">
    <table class="params">
      <thead>
        <tr><th>Parameter</th><th>Value</th><th>Unit</th><th>Status</th></tr>
      </thead>
      <tbody>
        <xsl:apply-templates select="DocumentVariable"/>
      </tbody>
    </table>
  </xsl:template>

  <xsl:template match="DocumentVariable">
    <xsl:variable name="display" select="string(@fdt:display)"/>
    <xsl:variable name="bracketed"
        select="contains($display, ' [') and substring($display, string-length($display)) = ']'"/>
    <tr>
      <td>
        <xsl:value-of select="@fdt:name"/>
        <xsl:if test="string(@fdt:descriptor) != '' and string(@fdt:descriptor) != string(@fdt:name)">
          <span class="descr"><xsl:value-of select="@fdt:descriptor"/></span>
        </xsl:if>
      </td>
      <td class="value">
        <xsl:choose>
          <xsl:when test="$bracketed"><xsl:value-of select="substring-before($display, ' [')"/></xsl:when>
          <xsl:otherwise><xsl:value-of select="$display"/></xsl:otherwise>
        </xsl:choose>
      </td>
      <td class="unit">
        <xsl:if test="$bracketed">
          <xsl:variable name="unit" select="substring-after($display, ' [')"/>
          <xsl:value-of select="substring($unit, 1, string-length($unit) - 1)"/>
        </xsl:if>
      </td>
      <td class="status-{@fdt:statusFlag}">
        <xsl:choose>
          <xsl:when test="@fdt:statusFlag = 'ok'">valid</xsl:when>
          <xsl:when test="@fdt:statusFlag = 'invalid'">invalid</xsl:when>
          <xsl:otherwise><xsl:value-of select="@fdt:statusFlag"/></xsl:otherwise>
        </xsl:choose>
      </td>
    </tr>
  </xsl:template>
</xsl:stylesheet>
