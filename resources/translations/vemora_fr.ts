<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- French captions of Qt's printer setup, printer properties and file dialogs that Qt's own
     French translations (qtbase_fr) do not have; loaded after them. -->
<TS version="2.1" language="fr_FR">
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>Dossier</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Disque</translation>
    </message>
</context>
<context>
    <name>QPrintDialog</name>
    <message>
        <source>Invalid Pages Definition</source>
        <translation>Liste de pages incorrecte</translation>
    </message>
    <message>
        <source>%1 does not follow the correct syntax. Please use &apos;,&apos; to separate ranges and pages, &apos;-&apos; to define ranges and make sure ranges do not intersect with each other.</source>
        <translation>«&#xa0;%1&#xa0;» n&apos;est pas une liste de pages valable. Séparez les pages et les plages de pages par des virgules, indiquez une plage par deux numéros reliés par un tiret et veillez à ce que les plages ne se chevauchent pas.</translation>
    </message>
    <message>
        <source>Duplex Settings Conflicts</source>
        <translation>Conflit dans l&apos;impression recto verso</translation>
    </message>
    <message>
        <source>There are conflicts in duplex settings. Do you want to fix them?</source>
        <translation>Le réglage recto verso est incompatible avec d&apos;autres options. Voulez-vous le corriger&#xa0;?</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesDialog</name>
    <message>
        <source>Printer Properties</source>
        <translation>Propriétés de l&apos;imprimante</translation>
    </message>
    <message>
        <source>Page Setup Conflicts</source>
        <translation>Conflit dans la mise en page</translation>
    </message>
    <message>
        <source>There are conflicts in page setup options. Do you want to fix them?</source>
        <translation>Des options de mise en page sont incompatibles entre elles. Voulez-vous les corriger&#xa0;?</translation>
    </message>
    <message>
        <source>Advanced Option Conflicts</source>
        <translation>Conflit dans les options avancées</translation>
    </message>
    <message>
        <source>There are conflicts in some advanced options. Do you want to fix them?</source>
        <translation>Des options avancées sont incompatibles entre elles. Voulez-vous les corriger&#xa0;?</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesWidget</name>
    <message>
        <source>Advanced</source>
        <translation>Avancé</translation>
    </message>
    <message>
        <source>There are conflicts in some options. Please fix them.</source>
        <translation>Des options sont incompatibles entre elles. Veuillez les corriger.</translation>
    </message>
</context>
<context>
    <name>QPrintSettingsOutput</name>
    <message>
        <source>Pages</source>
        <translation>Pages&#xa0;:</translation>
    </message>
    <message>
        <source>Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.</source>
        <translation>Indiquez des pages ou des plages de pages séparées par des virgules. Une plage s&apos;écrit avec deux numéros reliés par un tiret. Par exemple, 3,5-7,9 imprime les pages 3, 5, 6, 7 et 9.</translation>
    </message>
    <message>
        <source>Double Sided Printing</source>
        <translation>Impression recto verso</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Désactivée</translation>
    </message>
    <message>
        <source>Long side binding</source>
        <translation>Reliure sur le bord long</translation>
    </message>
    <message>
        <source>Short side binding</source>
        <translation>Reliure sur le bord court</translation>
    </message>
</context>
</TS>
