<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="kApplicationName">
        <source>Pendrill</source>
        <translation>Pendrill</translation>
    </message>
    <message id="kWelcomeMessage">
        <source>&lt;p&gt;&lt;b&gt;Pendrill&lt;/b&gt; fetches one address every few seconds into numbered files and shows the latest copy.&lt;/p&gt;&lt;p&gt;Its document window is not built yet.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Pendrill&lt;/b&gt; fetches one address every few seconds into numbered files and shows the latest copy.&lt;/p&gt;&lt;p&gt;Its document window is not built yet.&lt;/p&gt;</translation>
    </message>
    <message id="kQuitButtonTitle">
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
</context>
</TS>
